// What the launcher window decides, apart from drawing: its caption, its
// bitmap, which buttons are enabled, and what each button does.
#pragma once

#include <functional>
#include <string>

#include "core/SetupEnv.h"
#include "resource.h"
#include "ui/TitleBitmap.h"

namespace setup {

struct LauncherState {
    std::string caption;
    TitleBitmap bitmap;
    bool installEnabled = true;
    bool runEnabled = true;
    bool uninstallEnabled = true;
};

// The launcher's own message box (owned by its window): text, caption,
// style; returns the button pressed.
using LauncherAsk = std::function<int(const std::string&, const std::string&, unsigned)>;

// A new launcher: MenuChoice back to 0.
void ConstructLauncher(SetupContext& ctx);

// The launcher opening: caption, title bitmap, install state. false when the
// bitmap failed (its message has been shown): the window then closes with
// IDCANCEL and MenuChoice stays 0.
// `readInstallFolder` reads where the product is installed (1 when it is),
// and is asked only once the bitmap has loaded.
using InstallFolderReader = int (*)(SetupEnv& env);
bool OpenLauncher(SetupEnv& env, LauncherState& state, InstallFolderReader readInstallFolder);

// A command of the launcher: one of its buttons, or IDCANCEL for the close
// box. Returns how the dialog ends (IDOK_ or IDCANCEL_), or 0 to stay open.
int LauncherCommand(SetupEnv& env, int id, const LauncherAsk& ask);

}  // namespace setup
