#include "launch/Launch.h"

#include "core/Text.h"
#include "system/Registry.h"

namespace setup {

int ReadInstallFolder(SetupEnv& env, std::string& folder) {
    const std::string valuePath =
        Format("SOFTWARE\\%s\\INSTALL", env.ctx.REG_ROOT_KEY_NAME.c_str());
    if (ReadRegistryString(env.os, env.trace(), HKEY_CURRENT_USER_, valuePath, folder)) return 1;
    env.ctx.Trace("**Failed to get reg - <INSTALL>\n");
    folder.clear();
    return 0;
}

int LaunchInstalledProgram(SetupEnv& env) {
    SetupContext& ctx = env.ctx;
    if (ctx.TargetDir.empty()) {
        env.ui.DesktopMessageBox("ｲﾝｽﾄｰﾙされていないか、予期せぬｴﾗｰのため実行できません。", "実行",
                                 mb::ICONEXCLAMATION);
        return 0;
    }
    const std::string path = InstalledProgramPath(ctx.TargetDir, ctx.GAME_EXE_NAME);
    // No working folder: the program starts in this program's current one.
    if (env.os.ShellExecute("open", path, "", "", win::SW_SHOW_) > 32) return 1;
    env.ui.AppMessageBox(Format("%s\nを実行できませんでした。", path.c_str()), mb::ICONEXCLAMATION);
    return 0;
}

}  // namespace setup
