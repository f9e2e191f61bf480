// The checks of the script's text, line by line, as the reader took it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/Finding.h"
#include "core/ScriptReader.h"
#include "core/SetupContext.h"
#include "sim/SimulatedOs.h"

namespace setup {

constexpr char kScript[] = "Setup.inf";

// Bit t set when an entry belongs to setup type t.
inline unsigned TypeMask(const int32_t flags[3]) {
    unsigned mask = 0;
    for (int t = 0; t < 3; ++t) {
        if (flags[t] != 0) mask |= 1u << t;
    }
    return mask;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto up = [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : +c; };
               return up(x) == up(y);
           });
}

// The file's bytes: UTF-8 where code page 932 is read, bytes of no
// character, lines the reader takes in two pieces.
void CheckEncoding(std::string bytes, const SimulatedText& text, Findings& out);

// Each line the reader described: headers, lines it ignores or misreads,
// [Setup] keys, fields, flags and placeholders.
void CheckLines(const std::vector<ScriptLine>& lines, const ScriptLists& lists, Findings& out);

// The line of the [Setup] key's last occurrence; 0 when there is none.
int SetupKeyLine(const std::vector<ScriptLine>& lines, const char* key);

// The [Setup] values written but empty.
void CheckEmptySetupValues(const SetupContext& ctx, const std::vector<ScriptLine>& lines,
                           Findings& out);

}  // namespace setup
