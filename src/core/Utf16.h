// UTF-16LE bytes as the registry stores REG_SZ data: for the simulated
// machine's registry and the tests on both sides (the real Os converts at the
// W-function boundary; see core/Text.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Text.h"

namespace setup {

inline std::vector<uint8_t> Utf16Bytes(std::u16string_view text, bool terminator) {
    std::vector<uint8_t> bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    if (terminator) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

inline std::vector<uint8_t> Utf16Bytes(std::string_view utf8, bool terminator) {
    return Utf16Bytes(std::u16string_view(Utf8ToUtf16(utf8)), terminator);
}

}  // namespace setup
