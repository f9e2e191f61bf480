// Measures what a search text reaches, recursively: used to size the setup
// types before installing and to count what uninstalling will delete.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "seams/Os.h"

namespace setup {

// What a search reaches: the whole 64-bit bytes of its files, and how many.
struct TreeSize {
    int64_t bytes = 0;
    int32_t files = 0;
};

// Adds to `size` every file the search text (a file, a wildcard pattern or a
// folder) matches, folders walked down through "\*.*" but never through a
// junction or symbolic link (a loop of links would never end); each file
// writes its trace line to `trace` (null: none). `afterFolder` runs after
// each folder, for the caller to keep its windows painted. 1 when everything
// looked for was found; 0 when a search matched nothing, `missing` then
// naming it as the user reads it.
int MeasureTree(Os& os, TextSink* trace, const std::string& search, TreeSize& size,
                std::string& missing, const std::function<void()>& afterFolder);

// The message shown for a source or target that measuring could not find.
std::string NotFoundForSetupMessage(const std::string& missing);

}  // namespace setup
