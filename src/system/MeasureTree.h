// Measures what a search text reaches, recursively: used to size the setup
// types before installing and to count what uninstalling will delete.
#pragma once

#include <cstdint>
#include <string>

#include "core/SetupEnv.h"

namespace setup {

// Total bytes of every file the search text (a file, a wildcard pattern or a
// folder) matches, folders walked down through "\*.*" but never through a
// junction or symbolic link (a loop of links would never end); each file
// adds one to FileCounts[slot]. The windows are pumped after each folder. -1 when
// something the walk looks for matches nothing, after a message naming it.
int64_t MeasureTree(SetupEnv& env, const std::string& search, int slot);

}  // namespace setup
