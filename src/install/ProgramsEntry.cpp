#include "install/ProgramsEntry.h"

#include "system/FileUtil.h"

namespace setup {

ProgramsEntry DescribeProgramsEntry(const SetupContext& ctx, const std::string& installPath,
                                    int64_t bytes, const std::string& uninstaller) {
    ProgramsEntry entry;
    entry.displayName = ctx.GAME_NAME;
    entry.publisher = ctx.BRAND_NAME;
    entry.installLocation = WithoutTrailingBackslashes(installPath);
    entry.displayIcon = InstalledProgramPath(entry.installLocation, ctx.GAME_EXE_NAME);
    entry.uninstallString = "\"" + uninstaller + "\" /UNINSTALL";
    entry.quietUninstallString = entry.uninstallString + " /S";
    // A DWORD of KiB holds 4 TiB; anything larger says so.
    const uint64_t kib = bytes > 0 ? (static_cast<uint64_t>(bytes) + 1023) / 1024 : 0;
    entry.estimatedSizeKiB = kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(kib);
    return entry;
}

}  // namespace setup
