#include "system/SystemProbe.h"

#include "system/FileUtil.h"
#include "system/Registry.h"

namespace setup {

namespace {

const char kNt351Message[] = "WindowsNT3.51にはｲﾝｽﾄｰﾙできません。\nｾｯﾄｱｯﾌﾟを終了します。";
const char kUnknownOsMessage[] = "ご利用のOS種別が認識できませんでした。\nｾｯﾄｱｯﾌﾟを終了します。";

const char kProgramFilesValue[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir";
const char kShellProgramsValue[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\Programs";
const char kUserShellProgramsValue[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders\\Programs";
const char kCommonProgramsValue[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\Common Programs";

// One folder from the registry; on failure its trace line and message, and
// the field stays empty.
void ReadFolder(SetupEnv& env, RegKey root, const char* valuePath, std::string& field,
                const char* traceLine, const char* message, std::vector<ProbeMessage>& messages) {
    if (ReadRegistryString(env, root, valuePath, field)) return;
    env.ctx.Trace("%s", traceLine);
    messages.push_back(ProbeMessage{message, mb::OK});
    field.clear();
}

void ReadPlatformFolders(SetupEnv& env) {
    if (!env.os.GetWindowsDirectory(env.ctx.WinDir)) env.ctx.WinDir.clear();
    if (!env.os.GetSystemDirectory(env.ctx.SystemDir)) env.ctx.SystemDir.clear();
}

}  // namespace

int ReadShellFolders9x(SetupEnv& env, std::vector<ProbeMessage>& messages) {
    SetupContext& ctx = env.ctx;
    ctx.Trace("OS TYPE : WIN9X\n");
    ReadFolder(env, HKEY_LOCAL_MACHINE_, kProgramFilesValue, ctx.ProgramDir,
               "**Failed to get Win95 Program dir\n",
               "Failed to get registery value for ProgramDir", messages);
    ReadFolder(env, HKEY_CURRENT_USER_, kShellProgramsValue, ctx.UserProgramFolderDir,
               "**Failed to get Win95 UserProgramFolder dir\n",
               "Failed to get registery value for UserProgramFolderDir", messages);
    // 9x has no all-users Start menu: the user's folder serves for both.
    ReadFolder(env, HKEY_CURRENT_USER_, kShellProgramsValue, ctx.ProgramFolderDir,
               "**Failed to get Win95 ProgramFolder dir\n",
               "Failed to get registery value for ProgramFolderDir", messages);
    ReadPlatformFolders(env);
    return 1;
}

int ReadShellFoldersNt(SetupEnv& env, std::vector<ProbeMessage>& messages) {
    SetupContext& ctx = env.ctx;
    ctx.Trace("OS TYPE : WIN NT\n");
    ReadFolder(env, HKEY_LOCAL_MACHINE_, kProgramFilesValue, ctx.ProgramDir,
               "**Failed to get NT4 Program dir\n", "Failed to get registery value for ProgramDir",
               messages);
    ReadFolder(env, HKEY_LOCAL_MACHINE_, kCommonProgramsValue, ctx.ProgramFolderDir,
               "**Failed to get NT4 ProgramFolder dir\n",
               "Failed to get registery value for ProgramFolderDir", messages);
    // An expandable value (%USERPROFILE%...), expanded by the read.
    ReadFolder(env, HKEY_CURRENT_USER_, kUserShellProgramsValue, ctx.UserProgramFolderDir,
               "**Failed to get NT4 UserProgramFolder dir\n",
               "Failed to get registery value for UserProgramFolderDir", messages);
    ReadPlatformFolders(env);
    return 1;
}

int ProbeSystem(SetupEnv& env, std::vector<ProbeMessage>& messages) {
    SetupContext& ctx = env.ctx;
    OsVersion version;
    env.os.GetVersionEx(version);
    switch (version.platformId) {
    case win::VER_PLATFORM_WIN32_WINDOWS_:
        ctx.OsPlatform = kPlatformWin9x;
        break;
    case win::VER_PLATFORM_WIN32_NT_:
        if (version.majorVersion < 4) {
            messages.push_back(ProbeMessage{kNt351Message, mb::ICONEXCLAMATION});
            return 0;
        }
        ctx.OsPlatform = kPlatformNt;
        break;
    default:
        messages.push_back(ProbeMessage{kUnknownOsMessage, mb::ICONEXCLAMATION});
        return 0;
    }

    if (ctx.OsPlatform == kPlatformWin9x) {
        ReadShellFolders9x(env, messages);
    } else {
        ReadShellFoldersNt(env, messages);
    }

    for (std::string* folder : {&ctx.ProgramDir, &ctx.UserProgramFolderDir, &ctx.ProgramFolderDir,
                                &ctx.WinDir, &ctx.SystemDir}) {
        TrimTrailingBackslashes(*folder);
    }
    ctx.Trace("ProgramDir           : %s\n", ctx.ProgramDir.c_str());
    ctx.Trace("UserProgramFolderDir : %s\n", ctx.UserProgramFolderDir.c_str());
    ctx.Trace("ProgramFolderDir     : %s\n", ctx.ProgramFolderDir.c_str());
    ctx.Trace("WinDir               : %s\n", ctx.WinDir.c_str());
    ctx.Trace("SystemDir            : %s\n", ctx.SystemDir.c_str());
    return 1;
}

}  // namespace setup
