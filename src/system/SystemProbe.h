// The platform check and the five system folders, run once at start-up.
#pragma once

#include <string>
#include <vector>

#include "core/SetupEnv.h"

namespace setup {

// A message the probe leaves for its caller to show as the application's box,
// with the box's style; in the order the failures happened.
struct ProbeMessage {
    std::string text;
    unsigned style = 0;
};

// Accepts the 9x family and NT from version 4 on, fills ctx.OsPlatform and the
// five folder fields (without trailing backslashes). 0 when the platform is
// refused, its message the last of `messages`.
int ProbeSystem(SetupEnv& env, std::vector<ProbeMessage>& messages);

// Fill the five folder fields for their family. A folder that cannot be read
// becomes empty and leaves its message; always 1.
int ReadShellFolders9x(SetupEnv& env, std::vector<ProbeMessage>& messages);
int ReadShellFoldersNt(SetupEnv& env, std::vector<ProbeMessage>& messages);

}  // namespace setup
