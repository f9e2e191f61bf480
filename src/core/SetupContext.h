// The program's single state record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "seams/Os.h"

namespace setup {

// The values of MenuChoice: what the launcher was left with.
enum MenuChoiceValue : int32_t {
    kMenuExit = 0,
    kMenuInstall = 1,
    kMenuUninstall = 2,
    kMenuRun = 3,
};

// What an action started from the command line came to: the program's exit
// code there.
enum ActionOutcome : int {
    kActionDone = 0,
    kActionRefused = 1,  // cancelled by the user, or refused before anything was made
    kActionFailed = 2,   // stopped by an error, after its message
};

// The values of OsPlatform.
enum OsPlatformValue : int32_t {
    kPlatformUnknown = 0,
    kPlatformWin9x = 1,
    kPlatformNt = 2,
};

// The values of SetupTypeIndex, and the index of each type's slot in
// FileCounts, RequiredBytes and an entry's TypeFlags.
enum SetupType : int32_t {
    kSetupMinimum = 0,
    kSetupStandard = 1,
    kSetupFull = 2,
    kSetupTypeCount = 3,
};

// FileCounts' slot after the three setup types: the files an uninstallation
// counts.
constexpr int32_t kUninstallFiles = kSetupTypeCount;

// What the start-up learns of the system: its family and its folders, without
// trailing backslashes.
struct SystemFolders {
    std::string ProgramDir;
    std::string UserProgramFolderDir;
    std::string ProgramFolderDir;
    std::string WinDir;
    std::string SystemDir;
    int32_t OsPlatform = kPlatformUnknown;  // an OsPlatformValue
};

struct SetupContext : SystemFolders {
    std::string TargetDir;  // install folder read back from the registry

    // [Setup] values (MENU_NAME and REG_ROOT_KEY_NAME branded at start-up).
    std::string INSTALL_DIR;
    std::string MENU_NAME;
    std::string GAME_NAME;
    std::string BRAND_NAME;
    std::string TITLE_BMP;
    std::string REG_ROOT_KEY_NAME;
    std::string GAME_EXE_NAME;

    std::unique_ptr<TextSink> TraceStream;  // null: tracing is off

    int32_t SetupTypeIndex = kSetupMinimum;  // a SetupType
    std::string InstallPath;
    int32_t FileCounts[kUninstallFiles + 1] = {};  // per SetupType, then kUninstallFiles
    std::string SourceDir;
    int64_t RequiredBytes[3] = {};
    int64_t FreeBytes = 0;
    int32_t MenuChoice = kMenuExit;  // a MenuChoiceValue

    void Reset();

    bool Tracing() const { return TraceStream != nullptr; }
    // Writes one formatted piece to the trace stream when one is attached.
    void Trace(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
};

}  // namespace setup
