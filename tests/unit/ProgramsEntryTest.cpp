#include <gtest/gtest.h>

#include "install/ProgramsEntry.h"

namespace setup {
namespace {

TEST(ProgramsEntry, SaysWhatWasInstalledAndHowToRemoveIt) {
    SetupContext ctx;
    ctx.GAME_NAME = "星の旅路";
    ctx.BRAND_NAME = "ﾃﾞﾓｿﾌﾄ";
    ctx.GAME_EXE_NAME = "Game.exe";
    EXPECT_EQ(ProgramsEntryName("ﾃﾞﾓｿﾌﾄ\\Hoshi"), "Setup_ﾃﾞﾓｿﾌﾄ_Hoshi");

    const std::string uninstaller = "C:\\Users\\p\\AppData\\Local\\SetupRecords\\1-0\\Setup.exe";
    const ProgramsEntry entry = DescribeProgramsEntry(ctx, "D:\\Games\\星\\", 1025, uninstaller);
    EXPECT_EQ(entry.displayName, "星の旅路");
    EXPECT_EQ(entry.publisher, "ﾃﾞﾓｿﾌﾄ");
    EXPECT_EQ(entry.installLocation, "D:\\Games\\星");
    EXPECT_EQ(entry.displayIcon, "D:\\Games\\星\\Game.exe");
    EXPECT_EQ(entry.uninstallString, "\"" + uninstaller + "\" /UNINSTALL");
    EXPECT_EQ(entry.quietUninstallString, "\"" + uninstaller + "\" /UNINSTALL /S");
    EXPECT_EQ(entry.estimatedSizeKiB, 2u);  // rounded up
    EXPECT_EQ(DescribeProgramsEntry(ctx, "D:\\", 0, uninstaller).estimatedSizeKiB, 0u);
    EXPECT_EQ(DescribeProgramsEntry(ctx, "D:\\", 5LL << 40, uninstaller).estimatedSizeKiB,
              0xFFFFFFFFu);
}

}  // namespace
}  // namespace setup
