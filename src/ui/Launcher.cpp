#include "ui/Launcher.h"

#include "core/Text.h"

namespace setup {

void ConstructLauncher(SetupContext& ctx) {
    ctx.MenuChoice = kMenuExit;
}

bool OpenLauncher(SetupEnv& env, LauncherState& state, InstallFolderReader readInstallFolder) {
    state.caption = env.ctx.GAME_NAME;
    if (!LoadTitleBitmap(env, state.bitmap)) return false;
    const bool installed = readInstallFolder(env) != 0;
    state.installEnabled = !installed;
    state.runEnabled = installed;
    state.uninstallEnabled = installed;
    return true;
}

int LauncherCommand(SetupEnv& env, int id, const LauncherAsk& ask) {
    SetupContext& ctx = env.ctx;
    switch (id) {
    case IDC_INSTALL:
        ctx.MenuChoice = kMenuInstall;
        return mb::IDOK_;
    case IDC_RUN:
        ctx.MenuChoice = kMenuRun;
        return mb::IDOK_;
    case IDC_UNINSTALL: {
        const std::string text =
            Format("%sのｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", ctx.GAME_NAME.c_str());
        if (ask(text, "確認", mb::YESNO | mb::ICONQUESTION | mb::DEFBUTTON2) != mb::IDYES_) {
            return 0;
        }
        ctx.MenuChoice = kMenuUninstall;
        return mb::IDOK_;
    }
    case IDC_EXIT:
    case mb::IDCANCEL_:
        ctx.MenuChoice = kMenuExit;
        return mb::IDCANCEL_;
    default:
        return 0;
    }
}

}  // namespace setup
