// The platform check and the five system folders, run once at start-up.
#pragma once

#include <string>
#include <vector>

#include "core/SetupContext.h"
#include "seams/Os.h"

namespace setup {

// A message the probe leaves for its caller to show as the application's box,
// a warning with the exclamation icon; in the order the failures happened.
struct ProbeMessage {
    std::string text;
    bool warning = false;
};

// Accepts the 9x family and NT from version 4 on and fills `found`: the
// family, and the five folders read the family's way. A folder that cannot be
// read stays empty and leaves its message. 0 when the platform is refused, its
// message the last of `messages`.
int ProbeSystem(Os& os, TextSink* trace, SystemFolders& found, std::vector<ProbeMessage>& messages);

}  // namespace setup
