// The uninstall action: what the script's [Uninstall] section names is
// counted, then removed phase by phase (files and folders, registry keys,
// Start-menu folders) under the progress window, after every target has
// passed the guards of DeleteGuard.h.
#pragma once

#include <string>

#include "core/ScriptReader.h"
#include "core/SetupEnv.h"

namespace setup {

// 1 when every phase has run; 0 after a failure (its message, if it has one,
// has been shown; the caller adds its own and ends the program).
int RunUninstallation(SetupEnv& env, ScriptLists& lists);

// What an [Uninstall] entry acts on, as the run expands it: a path (DELETE
// FILE, DELETE DIR, DELETE MENU) or a key below HKEY_CURRENT_USER (DELETE
// REG); empty for an entry the run passes over.
std::string UninstallTarget(const SetupContext& ctx, const UninstallEntry& entry);

// Removes `folder` with everything in it, stepping `progress` once for each
// file it tries to delete. Read-only attributes are cleared; a junction or
// symbolic link inside is removed as a link, never followed. 1 when the
// folder could be listed, whatever became of the single deletions; 0 when
// it cannot be listed (the last error tells why).
int DeleteTree(SetupEnv& env, const std::string& folder, ProgressWindow& progress);

}  // namespace setup
