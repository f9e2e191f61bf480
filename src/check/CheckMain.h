// setup-check MEDIUM_FOLDER [--json] [--werror]: the author's checker as a
// command, the same on the build machine and on Windows.
#pragma once

#include <string>
#include <vector>

#include "sim/SimulatedOs.h"

namespace setup {

// Runs the checker with the arguments after the program's name; the report
// goes to `out`, a usage or run error to `err`. Returns the exit status: 0
// clean or warnings only, 1 errors (or warnings with --werror), 2 when the
// check cannot run.
int RunSetupCheck(const std::vector<std::string>& args, const SimulatedText& text,
                  std::string& out, std::string& err);

}  // namespace setup
