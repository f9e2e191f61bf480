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
struct Probe {
    Os& os;
    TextSink* trace;
    SystemFolders& found;
    std::vector<ProbeMessage>& messages;
};

void ReadFolder(Probe& probe, RegKey root, const char* valuePath, std::string& field,
                const char* traceLine, const char* message) {
    if (ReadRegistryString(probe.os, probe.trace, root, valuePath, field)) return;
    Trace(probe.trace, "%s", traceLine);
    probe.messages.push_back(ProbeMessage{message, false});
    field.clear();
}

void ReadPlatformFolders(Probe& probe) {
    SystemFolders& found = probe.found;
    if (!probe.os.GetWindowsDirectory(found.WinDir)) found.WinDir.clear();
    if (!probe.os.GetSystemDirectory(found.SystemDir)) found.SystemDir.clear();
}

void ReadShellFolders9x(Probe& probe) {
    SystemFolders& found = probe.found;
    Trace(probe.trace, "OS TYPE : WIN9X\n");
    ReadFolder(probe, HKEY_LOCAL_MACHINE_, kProgramFilesValue, found.ProgramDir,
               "**Failed to get Win95 Program dir\n",
               "Failed to get registery value for ProgramDir");
    ReadFolder(probe, HKEY_CURRENT_USER_, kShellProgramsValue, found.UserProgramFolderDir,
               "**Failed to get Win95 UserProgramFolder dir\n",
               "Failed to get registery value for UserProgramFolderDir");
    // 9x has no all-users Start menu: the user's folder serves for both.
    ReadFolder(probe, HKEY_CURRENT_USER_, kShellProgramsValue, found.ProgramFolderDir,
               "**Failed to get Win95 ProgramFolder dir\n",
               "Failed to get registery value for ProgramFolderDir");
    ReadPlatformFolders(probe);
}

void ReadShellFoldersNt(Probe& probe) {
    SystemFolders& found = probe.found;
    Trace(probe.trace, "OS TYPE : WIN NT\n");
    ReadFolder(probe, HKEY_LOCAL_MACHINE_, kProgramFilesValue, found.ProgramDir,
               "**Failed to get NT4 Program dir\n", "Failed to get registery value for ProgramDir");
    ReadFolder(probe, HKEY_LOCAL_MACHINE_, kCommonProgramsValue, found.ProgramFolderDir,
               "**Failed to get NT4 ProgramFolder dir\n",
               "Failed to get registery value for ProgramFolderDir");
    // An expandable value (%USERPROFILE%...), expanded by the read.
    ReadFolder(probe, HKEY_CURRENT_USER_, kUserShellProgramsValue, found.UserProgramFolderDir,
               "**Failed to get NT4 UserProgramFolder dir\n",
               "Failed to get registery value for UserProgramFolderDir");
    ReadPlatformFolders(probe);
}

}  // namespace

int ProbeSystem(Os& os, TextSink* trace, SystemFolders& found,
                std::vector<ProbeMessage>& messages) {
    OsVersion version;
    os.GetVersionEx(version);
    switch (version.platformId) {
    case win::VER_PLATFORM_WIN32_WINDOWS_:
        found.OsPlatform = kPlatformWin9x;
        break;
    case win::VER_PLATFORM_WIN32_NT_:
        if (version.majorVersion < 4) {
            messages.push_back(ProbeMessage{kNt351Message, true});
            return 0;
        }
        found.OsPlatform = kPlatformNt;
        break;
    default:
        messages.push_back(ProbeMessage{kUnknownOsMessage, true});
        return 0;
    }

    Probe probe{os, trace, found, messages};
    if (found.OsPlatform == kPlatformWin9x) {
        ReadShellFolders9x(probe);
    } else {
        ReadShellFoldersNt(probe);
    }

    for (std::string* folder : {&found.ProgramDir, &found.UserProgramFolderDir,
                                &found.ProgramFolderDir, &found.WinDir, &found.SystemDir}) {
        TrimTrailingBackslashes(*folder);
    }
    Trace(trace, "ProgramDir           : %s\n", found.ProgramDir.c_str());
    Trace(trace, "UserProgramFolderDir : %s\n", found.UserProgramFolderDir.c_str());
    Trace(trace, "ProgramFolderDir     : %s\n", found.ProgramFolderDir.c_str());
    Trace(trace, "WinDir               : %s\n", found.WinDir.c_str());
    Trace(trace, "SystemDir            : %s\n", found.SystemDir.c_str());
    return 1;
}

}  // namespace setup
