// What the author's checker finds in a medium.
#pragma once

#include <string>
#include <vector>

namespace setup {

enum class Severity { kError, kWarning, kNote };

struct Finding {
    Severity severity = Severity::kWarning;
    std::string code;  // the class of the finding, for --json ("script-encoding", ...)
    std::string file;  // relative to the medium ("Setup.inf", "Data/a.dat"); empty: the medium
    int line = 0;      // in Setup.inf, from 1; 0: none
    std::string message;
};

using Findings = std::vector<Finding>;

inline void Add(Findings& out, Severity severity, const char* code, std::string file, int line,
                std::string message) {
    out.push_back(Finding{severity, code, std::move(file), line, std::move(message)});
}

}  // namespace setup
