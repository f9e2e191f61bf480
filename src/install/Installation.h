// The installation run: copy the chosen setup type's files, write its
// registry entries, make its Start-menu shortcuts, under a progress window.
#pragma once

#include "core/ScriptReader.h"
#include "core/SetupEnv.h"

namespace setup {

// 1 when everything was done, 0 when the run stopped at an error (after its
// messages; nothing done before the error is undone).
int RunInstallation(SetupEnv& env, const ScriptLists& lists);

}  // namespace setup
