// The installation run: copy the chosen setup type's files, write its
// registry entries, make its Start-menu shortcuts, under a progress window.
#pragma once

#include <string>
#include <vector>

#include "core/ScriptReader.h"
#include "core/SetupEnv.h"
#include "seams/Ui.h"

namespace setup {

// Installs the chosen setup type into the chosen folder; `madeFolders` are
// the folders the wizard made for it, outermost first, recorded as the
// product's own. 1 when everything was done, 0 when the run stopped at an
// error (after its messages; nothing done before the error is undone), -1
// when a script line was refused before anything was made.
int RunInstallation(SetupEnv& env, const ScriptLists& lists, const WizardChoice& choice,
                    const std::vector<std::string>& madeFolders = {});

}  // namespace setup
