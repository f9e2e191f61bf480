// The platform check and the five system folders, run once at start-up.
#pragma once

#include "core/SetupEnv.h"

namespace setup {

// Accepts the 9x family and NT from version 4 on, fills ctx.OsPlatform and the
// five folder fields (without trailing backslashes). 0 after a refusal box.
int ProbeSystem(SetupEnv& env);

// Fill the five folder fields for their family. A folder that cannot be read
// becomes empty after its box; always 1.
int ReadShellFolders9x(SetupEnv& env);
int ReadShellFoldersNt(SetupEnv& env);

}  // namespace setup
