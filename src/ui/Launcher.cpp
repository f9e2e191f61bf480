#include "ui/Launcher.h"

#include "core/Text.h"
#include "remove/Launch.h"

namespace setup {

void ConstructLauncher(SetupContext& ctx) { ctx.MenuChoice = 0; }

bool OpenLauncher(SetupEnv& env, LauncherState& state) {
    state.caption = env.ctx.GAME_NAME;
    if (!LoadTitleBitmap(env, state.bitmap)) return false;
    const bool installed = ReadInstallFolder(env) != 0;
    state.installEnabled = !installed;
    state.runEnabled = installed;
    state.uninstallEnabled = installed;
    return true;
}

int LauncherCommand(SetupEnv& env, int id, const LauncherAsk& ask) {
    SetupContext& ctx = env.ctx;
    switch (id) {
    case kLauncherInstall:
        ctx.MenuChoice = 1;
        return mb::IDOK_;
    case kLauncherRun:
        ctx.MenuChoice = 3;
        return mb::IDOK_;
    case kLauncherUninstall: {
        const std::string text =
            Format("%sのｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", ctx.GAME_NAME.c_str());
        if (ask(text, "確認", mb::YESNO | mb::ICONQUESTION | mb::DEFBUTTON2) != mb::IDYES_) {
            return 0;
        }
        ctx.MenuChoice = 2;
        return mb::IDOK_;
    }
    case kLauncherExit:
    case mb::IDCANCEL_:
        ctx.MenuChoice = 0;
        return mb::IDCANCEL_;
    default:
        return 0;
    }
}

}  // namespace setup
