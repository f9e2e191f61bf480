// What the launcher window decides, apart from drawing: its caption, its
// bitmap, which buttons are enabled, and what each button does.
#pragma once

#include <functional>
#include <string>

#include "core/SetupContext.h"
#include "resource.h"
#include "seams/Os.h"
#include "seams/Ui.h"
#include "ui/TitleBitmap.h"

namespace setup {

struct LauncherState {
    std::string caption;
    TitleBitmap bitmap;
    bool installEnabled = true;
    bool runEnabled = true;
    bool uninstallEnabled = true;
    // What the launcher hands back: the choice (0 from the start) and the
    // install folder found on opening.
    LauncherOutcome outcome;
};

// The launcher's own message box (owned by its window): text, caption,
// style; returns the button pressed.
using LauncherAsk = std::function<int(const std::string&, const std::string&, unsigned)>;

// The launcher opening: caption, title bitmap, install state. false when the
// bitmap failed (its message has been shown): the window then closes with
// IDCANCEL and the choice stays 0. `readInstallFolder` is asked only once
// the bitmap has loaded.
bool OpenLauncher(Os& os, Ui& ui, const SetupContext& ctx, LauncherState& state,
                  const InstallFolderReader& readInstallFolder);

// A command of the launcher: one of its buttons, or IDCANCEL for the close
// box; the choice it makes goes to state.outcome. Returns how the dialog
// ends (IDOK_ or IDCANCEL_), or 0 to stay open.
int LauncherCommand(const SetupContext& ctx, LauncherState& state, int id, const LauncherAsk& ask);

}  // namespace setup
