// The product's entry in the system's list of installed programs, per user:
// a key of its own below kProgramsEntries.
#pragma once

#include <cstdint>
#include <string>

#include "core/SetupContext.h"
#include "system/InstallRecord.h"

namespace setup {

struct ProgramsEntry {
    std::string displayName;      // GAME_NAME
    std::string publisher;        // BRAND_NAME
    std::string displayIcon;      // the installed GAME_EXE_NAME
    std::string installLocation;  // the install folder, no trailing backslash
    std::string uninstallString;  // the uninstaller with /UNINSTALL
    std::string quietUninstallString;
    uint32_t estimatedSizeKiB = 0;  // of the files installed, rounded up
};

// What the entry says of an installation of `bytes` into `installPath`, to be
// removed by the program copied to `uninstaller`.
ProgramsEntry DescribeProgramsEntry(const SetupContext& ctx, const std::string& installPath,
                                    int64_t bytes, const std::string& uninstaller);

}  // namespace setup
