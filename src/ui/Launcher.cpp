#include "ui/Launcher.h"

#include "core/Text.h"

namespace setup {

bool OpenLauncher(Os& os, Ui& ui, const SetupContext& ctx, LauncherState& state,
                  const InstallFolderReader& readInstallFolder) {
    state.caption = ctx.GAME_NAME;
    if (!LoadTitleBitmap(os, ui, ctx.TITLE_BMP, state.bitmap)) return false;
    const bool installed = readInstallFolder(state.outcome.installFolder) != 0;
    state.installEnabled = !installed;
    state.runEnabled = installed;
    state.uninstallEnabled = installed;
    return true;
}

int LauncherCommand(const SetupContext& ctx, LauncherState& state, int id, const LauncherAsk& ask) {
    int32_t& choice = state.outcome.choice;
    switch (id) {
    case IDC_INSTALL:
        choice = kMenuInstall;
        return mb::IDOK_;
    case IDC_RUN:
        choice = kMenuRun;
        return mb::IDOK_;
    case IDC_UNINSTALL: {
        const std::string text =
            Format("%sのｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", ctx.GAME_NAME.c_str());
        if (ask(text, "確認", mb::YESNO | mb::ICONQUESTION | mb::DEFBUTTON2) != mb::IDYES_) {
            return 0;
        }
        choice = kMenuUninstall;
        return mb::IDOK_;
    }
    case IDC_EXIT:
    case mb::IDCANCEL_:
        choice = kMenuExit;
        return mb::IDCANCEL_;
    default:
        return 0;
    }
}

}  // namespace setup
