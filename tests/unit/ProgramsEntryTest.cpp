#include <gtest/gtest.h>

#include "install/Preparation.h"
#include "install/ProgramsEntry.h"
#include "support/SetupFixture.h"
#include "system/InstallRecord.h"
#include "uninstall/Uninstallation.h"

namespace setup {
namespace {

// The values the list shows are read back under Wine; here the size: KiB
// rounded up, and held by its DWORD.
TEST(ProgramsEntry, GivesTheSizeInWholeKiB) {
    const SetupContext ctx;
    EXPECT_EQ(DescribeProgramsEntry(ctx, "D:\\", 1025, "u").estimatedSizeKiB, 2u);
    EXPECT_EQ(DescribeProgramsEntry(ctx, "D:\\", 5LL << 40, "u").estimatedSizeKiB, 0xFFFFFFFFu);
}

const std::string kLocal = "C:\\Users\\p\\AppData\\Local";
const std::string kEntry = std::string(kProgramsEntries) + "\\Setup_ﾃﾞﾓｿﾌﾄ_Hoshi";

class Uninstaller : public SetupFixture {
protected:
    void SetUp() override {
        OpenMedium();
        AddMediumFile("Setup.exe", "program");
        AddMediumFile("Game.exe", "game");
        WriteScript(
            "[Files]\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:\n[Uninstall]\nDELETE DIR:<INSTALL DIR>\n");
        PlaceDemoProduct(ctx);
        ctx.GAME_NAME = "星の旅路";
        ctx.GAME_EXE_NAME = "Game.exe";
        os.SetEnv("LOCALAPPDATA", kLocal);
        os.SetEnv("TEMP", kLocal + "\\Temp");
        os.AddFolder(kLocal + "\\Temp");
        ASSERT_EQ(InstallWithoutWizard(env, lists, kSetupStandard, ""), kActionDone);
        ASSERT_TRUE(FindInstallRecord(os, kDemoKey, kDemoInstall, record, path));
        folder = UninstallerFolder(path);
    }
    InstallRecord record;
    std::string path, folder;
};

// The install keeps the program and its script beside the record and lists
// the product; uninstalling from the medium removes all three.
TEST_F(Uninstaller, IsKeptBesideTheRecordAndGoesWithTheProduct) {
    EXPECT_EQ(os.FileContent(folder + "\\Setup.exe"), "program");
    EXPECT_TRUE(os.Exists(folder + "\\Setup.inf"));
    EXPECT_FALSE(os.Exists(kDemoInstall + "\\Setup.exe"));
    EXPECT_EQ(record.programsEntry, "Setup_ﾃﾞﾓｿﾌﾄ_Hoshi");
    EXPECT_EQ(os.StringOf(HKEY_CURRENT_USER_, kEntry, "UninstallString"),
              "\"" + folder + "\\Setup.exe\" /UNINSTALL");
    EXPECT_EQ(os.StringOf(HKEY_CURRENT_USER_, kEntry, "InstallLocation"), kDemoInstall);

    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_FALSE(os.KeyExists(HKEY_CURRENT_USER_, kEntry));
    EXPECT_FALSE(os.Exists(kLocal + "\\SetupRecords"));
    EXPECT_TRUE(os.startedDeletedOnExit.empty());
}

// Started from the list, it cannot remove its own file: a copy of it in the
// temporary folder, deleted by the system when it ends, removes the folder.
TEST_F(Uninstaller, StartedFromTheListLeavesItsFolderToACopy) {
    os.modulePath = folder + "\\Setup.exe";
    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_FALSE(os.KeyExists(HKEY_CURRENT_USER_, kEntry));
    const std::string copy =
        kLocal + "\\Temp\\" + folder.substr(folder.rfind('\\') + 1) + "-cleanup.exe";
    EXPECT_EQ(os.startedDeletedOnExit,
              (std::vector<std::string>{copy + " /CLEANUP=\"" + folder + "\""}));
    ASSERT_TRUE(os.Exists(folder + "\\Setup.exe"));
    EXPECT_TRUE(RemoveUninstallerFolder(os, folder));
    EXPECT_FALSE(os.Exists(kLocal + "\\SetupRecords"));
}

// The removal of an uninstaller's folder touches nothing that is not one.
TEST_F(Uninstaller, ItsRemovalTouchesNoOtherFolder) {
    os.AddFile("C:\\Windows\\notepad.exe", "n");
    os.AddFile(kLocal + "\\SetupRecords\\notes\\a.txt", "mine");
    os.AddFile(kLocal + "\\Other\\0123456789abcdef-0\\a.txt", "mine");
    os.AddLink(kLocal + "\\SetupRecords\\0123456789abcdef-7", "C:\\Windows");
    for (const std::string& other :
         {std::string("C:\\Windows"), kLocal + "\\SetupRecords\\notes",
          kLocal + "\\Other\\0123456789abcdef-0", kLocal + "\\SetupRecords\\0123456789abcdef-7",
          kLocal + "\\SetupRecords\\0123456789ABCDEF-0", folder /* its record is there */}) {
        EXPECT_FALSE(RemoveUninstallerFolder(os, other)) << other;
    }
    EXPECT_TRUE(os.Exists("C:\\Windows\\notepad.exe"));
    EXPECT_TRUE(os.Exists(kLocal + "\\SetupRecords\\notes\\a.txt"));
    EXPECT_TRUE(os.Exists(kLocal + "\\Other\\0123456789abcdef-0\\a.txt"));
    EXPECT_TRUE(os.Exists(folder + "\\Setup.exe"));
}

// What is already where the uninstaller goes is not written over: a file of
// the same name in the temporary folder, a link made of its folder.
TEST_F(Uninstaller, OverwritesNothingOfAnother) {
    const std::string name = folder.substr(folder.rfind('\\') + 1) + "-cleanup.exe";
    os.AddFile(kLocal + "\\Temp\\" + name, "mine");
    os.modulePath = folder + "\\Setup.exe";
    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_EQ(os.FileContent(kLocal + "\\Temp\\" + name), "mine");
    ASSERT_EQ(os.startedDeletedOnExit.size(), 1u);
    EXPECT_EQ(os.startedDeletedOnExit[0].find(name + " "), std::string::npos);

    EXPECT_TRUE(RemoveUninstallerFolder(os, folder));
    os.AddFile("C:\\Users\\p\\Documents\\Setup.inf", "mine");
    os.AddLink(folder, "C:\\Users\\p\\Documents");
    os.modulePath = std::string(kMedium) + "\\Setup.exe";
    ASSERT_EQ(InstallWithoutWizard(env, lists, kSetupStandard, ""), kActionDone);
    EXPECT_EQ(os.List("C:\\Users\\p\\Documents"), std::vector<std::string>{"Setup.inf"});
    EXPECT_EQ(os.FileContent("C:\\Users\\p\\Documents\\Setup.inf"), "mine");
}

// A record altered to name another program's entry removes only the product's.
TEST_F(Uninstaller, RemovesNoOtherEntry) {
    const std::string other = std::string(kProgramsEntries) + "\\Setup_ｱｻﾞﾐ_Yoru";
    os.SetString(HKEY_CURRENT_USER_, other, "DisplayName", "夜");
    std::string text = os.FileContent(path);
    const size_t at = text.find(record.programsEntry);
    text.replace(at, record.programsEntry.size(), "Setup_ｱｻﾞﾐ_Yoru");
    os.AddFile(path, text);
    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_TRUE(os.KeyExists(HKEY_CURRENT_USER_, other));
}

}  // namespace
}  // namespace setup
