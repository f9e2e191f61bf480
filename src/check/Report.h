// The checker's findings as an author reads them, and as CI reads them.
#pragma once

#include <string>

#include "check/Checker.h"

namespace setup {

// Compiler-style lines ("MEDIUM/Setup.inf:12: error: ..."), then the summary
// of each setup type and its round trip.
std::string FormatReport(const std::string& medium, const CheckReport& report);

// The same as one JSON object.
std::string FormatJsonReport(const std::string& medium, const CheckReport& report);

}  // namespace setup
