// Uninstalling removes only what the installation provably made, however
// the machine, the INSTALL value or the script changed after the install.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "install/Preparation.h"
#include "support/SetupFixture.h"
#include "support/Snapshot.h"
#include "system/FileUtil.h"
#include "uninstall/Uninstallation.h"

namespace setup {
namespace {

const std::string kRecords = "C:\\Users\\p\\AppData\\Local\\SetupRecords";
const std::string kScript =
    "[Files]\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:星の旅路\nCOPY DIR:Save:1:1:1:<INSTALL DIR>:\n"
    "[Registory]\nCREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\nCREATE KEY:Settings:1:1:1:0:\n"
    "[Uninstall]\nDELETE DIR:<INSTALL DIR>\nDELETE REG:<REG ROOT>\\Settings\n"
    "DELETE REG:<REG ROOT>\nDELETE MENU:<MENU DIR>\n";

using Change = std::function<void(SetupContext&, FakeOs&)>;
struct Breach {
    const char* name;
    std::string installInto;  // the folder the wizard gives
    Change before;            // the machine and the [Setup] names before the install
    Change after;             // what changed between install and uninstall
    std::string moreLines;    // further [Uninstall] lines
    std::string script = kScript;
    std::vector<std::string> alsoOwn = {};  // made by this install besides the usual
    std::string key = kDemoKey;
};
void PrintTo(const Breach& b, std::ostream* out) {
    *out << b.name;
}

const std::string kMakerMenu = "C:\\Users\\p\\Programs\\ﾃﾞﾓｿﾌﾄ";

// Another product of the same maker, installed after this one: its folder,
// menu and key, below the maker's folders and key this install made.
void InstallAnotherOfTheMaker(SetupContext&, FakeOs& os) {
    os.AddFile("C:\\Program Files\\ﾃﾞﾓｿﾌﾄ\\月の庭\\Game.exe", "other");
    os.AddFile(kMakerMenu + "\\月の庭\\a.lnk", "other");
    os.SetString(HKEY_CURRENT_USER_, "SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\Tsuki", "INSTALL", "other");
}

class OwnershipBreach : public SetupFixture, public ::testing::WithParamInterface<Breach> {};

// Install, install another product of the maker, let the row change the
// machine, uninstall: whatever lies outside what the install made is as it
// was, and what it made is gone.
TEST_P(OwnershipBreach, NothingButWhatTheInstallMadeGoes) {
    const Breach& b = GetParam();
    OpenMedium();
    AddMediumFile("Game.exe", "game");
    AddMediumFile("Save\\a.dat", "a");
    PlaceDemoProduct(ctx);
    os.AddFolder("C:\\Users\\p\\AppData\\Local");
    os.SetEnv("LOCALAPPDATA", "C:\\Users\\p\\AppData\\Local");
    os.AddFile("C:\\Photos\\Game.exe", "not the game");
    os.AddFile("C:\\Photos\\Save\\a.dat", "a photo");
    if (b.before) b.before(ctx, os);
    WriteScript(b.script + b.moreLines);
    ui.onWizard = [&](InstallFolderAccess&, WizardChoice& choice) {
        choice.installPath = b.installInto;
        return mb::kWizardFinish;
    };
    const bool folderThere = os.Exists(b.installInto);
    ASSERT_EQ(PrepareInstallation(env, lists), 1);
    ASSERT_EQ(ui.boxes, (std::vector<ShownBox>{kInstallDone}));
    std::string installed = b.installInto;
    ctx.TargetDir = TrimTrailingBackslashes(installed);
    OwnPlaces own{{installed + "\\Game.exe", installed + "\\Save", kDemoMenu, kRecords}, {b.key}};
    if (!folderThere) own.folders.push_back(installed);
    own.folders.insert(own.folders.end(), b.alsoOwn.begin(), b.alsoOwn.end());
    const std::string menuName = ctx.MENU_NAME;
    InstallAnotherOfTheMaker(ctx, os);
    if (b.after) b.after(ctx, os);
    const std::vector<std::string> before = Snapshot(os, own);

    ui.boxes.clear();
    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{kUninstallDone}));
    const std::vector<std::string> now = Snapshot(os, own);
    for (const std::string& e : before) {
        EXPECT_NE(std::find(now.begin(), now.end(), e), now.end()) << "gone: " << e;
    }
    for (const std::string& e : now) {
        EXPECT_NE(std::find(before.begin(), before.end(), e), before.end()) << "new: " << e;
    }
    // What the install made is gone, wherever INSTALL still leads to it.
    if (ctx.TargetDir == installed && b.script == kScript) {
        EXPECT_FALSE(os.Exists(installed + "\\Game.exe"));
        EXPECT_FALSE(os.Exists(installed + "\\Save"));
    }
    if (ctx.MENU_NAME == menuName && b.script == kScript) {
        EXPECT_FALSE(os.Exists(kDemoMenu));
        EXPECT_FALSE(os.KeyExists(HKEY_CURRENT_USER_, kDemoKey));
    }
}

// A failed second install into another folder: the first one's record stays.
void ReinstallElsewhereStoppedByAFullDisk(SetupContext& ctx, FakeOs& os) {
    FakeUi ui;
    SetupEnv env{ctx, os, ui};
    ScriptLists lists;
    ui.onWizard = [](InstallFolderAccess&, WizardChoice& choice) {
        choice.installPath = "C:\\Elsewhere";
        return mb::kWizardFinish;
    };
    os.FailNext("CopyFileWithProgress", 112);
    PrepareInstallation(env, lists);
}

const std::string kFilesOnly =
    kScript.substr(0, kScript.find("[Registory]")) + "[Uninstall]\nDELETE DIR:<INSTALL DIR>\n";
void SharedGames(SetupContext&, FakeOs& os) {
    os.AddFile("C:\\Games\\Other\\other.exe", "o");
    os.AddFile("C:\\Games\\note.txt", "n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OwnershipBreach,
    ::testing::Values(
        Breach{"the demo product in its own folder", kDemoInstall, nullptr, nullptr, ""},
        Breach{"browsed into a folder holding other programs", "C:\\Games\\", SharedGames, nullptr,
               ""},
        Breach{"INSTALL damaged to a folder of photos", kDemoInstall, nullptr,
               [](auto& ctx, auto&) { ctx.TargetDir = "C:\\Photos"; }, ""},
        Breach{"the maker's folder a link to another product's drive", kDemoInstall,
               [](auto&, auto& os) {
                   os.AddFile("D:\\Maker\\月の庭\\Game.exe", "other");
                   os.AddLink("C:\\Program Files\\ﾃﾞﾓｿﾌﾄ", "D:\\Maker");
               },
               nullptr, ""},
        Breach{"another product of the maker installed since", kDemoInstall, nullptr, nullptr,
               "DELETE DIR:\"C:\\Program Files\\ﾃﾞﾓｿﾌﾄ\"\nDELETE REG:ﾃﾞﾓｿﾌﾄ\n"},
        Breach{"targets and keys of another product", kDemoInstall, nullptr, nullptr,
               "DELETE DIR:C:\\Program Files\\ﾃﾞﾓｿﾌﾄ\\月の庭\nDELETE REG:ﾃﾞﾓｿﾌﾄ\\Tsuki\n"
               "DELETE FILE:C:\\Photos\\Game.exe\n"},
        Breach{"on the 9x family, the maker's key named", kDemoInstall,
               [](auto&, auto& os) {
                   os.SetVersion({4, 10, 2222, win::VER_PLATFORM_WIN32_WINDOWS_});
               },
               nullptr, "DELETE REG:ﾃﾞﾓｿﾌﾄ\n"},
        Breach{"an empty REG_ROOT_KEY_NAME below the brand", kDemoInstall,
               [](auto& ctx, auto&) { ctx.REG_ROOT_KEY_NAME = "ﾃﾞﾓｿﾌﾄ\\"; }, nullptr,
               "DELETE REG:ﾃﾞﾓｿﾌﾄ\\Tsuki\n", kFilesOnly},
        Breach{"an empty MENU_NAME below the brand",
               kDemoInstall,
               [](auto& ctx, auto&) { ctx.MENU_NAME = "ﾃﾞﾓｿﾌﾄ\\"; },
               nullptr,
               "DELETE MENU:<MENU DIR>\\月の庭\n",
               kScript.substr(0, kScript.find("DELETE MENU")),
               {kMakerMenu + "\\星の旅路.lnk"}},
        Breach{"the product's menu folder removed by hand", kDemoInstall, nullptr,
               [](auto&, auto& os) {
                   os.DeleteFile(kDemoMenu + "\\星の旅路.lnk");
                   os.RemoveDirectory(kDemoMenu);
               },
               "DELETE MENU:" + kMakerMenu + "\\月の庭\n"},
        Breach{"the key's non-ASCII letters in another case",
               "C:\\Games",
               [](auto& ctx, auto& os) {
                   SharedGames(ctx, os);
                   ctx.REG_ROOT_KEY_NAME = "ﾃﾞﾓｿﾌﾄ\\Ｈｏｓｈｉ";
               },
               [](auto& ctx, auto&) { ctx.REG_ROOT_KEY_NAME = "ﾃﾞﾓｿﾌﾄ\\ｈｏｓｈｉ"; },
               "",
               kScript,
               {},
               "SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\Ｈｏｓｈｉ"},
        Breach{"a second install elsewhere stopped half-way",
               "C:\\Games",
               SharedGames,
               ReinstallElsewhereStoppedByAFullDisk,
               "",
               kScript,
               {"C:\\Elsewhere"}},
        Breach{"DELETE FILE naming a read-only shared folder", "C:\\Games",
               [](auto& ctx, auto& os) {
                   SharedGames(ctx, os);
                   os.SetFileAttributes("C:\\Games", win::FILE_ATTRIBUTE_READONLY_);
               },
               nullptr, "DELETE FILE:<INSTALL DIR>\n"},
        Breach{"DELETE FILE naming the user's link to a file of the product", "C:\\Games",
               SharedGames,
               [](auto&, auto& os) {
                   os.DeleteFile("C:\\Photos\\Game.exe");
                   os.AddLink("C:\\Photos\\Game.exe", "C:\\Games\\Game.exe");
               },
               "DELETE FILE:C:\\Photos\\Game.exe\n", kScript.substr(0, kScript.find("DELETE DIR"))},
        Breach{"a folder of the product replaced by a link", kDemoInstall, nullptr,
               [](auto&, auto& os) {
                   os.AddFile("C:\\Secret\\diary.txt", "private");
                   os.DeleteFile(kDemoInstall + "\\Save\\a.dat");
                   os.RemoveDirectory(kDemoInstall + "\\Save");
                   os.AddLink(kDemoInstall + "\\Save", "C:\\Secret");
               },
               ""},
        Breach{"a folder \"d.\" beside a link \"d\"", kDemoInstall, nullptr,
               [](auto&, auto& os) {
                   os.AddFile("C:\\Secret\\diary.txt", "private");
                   os.CreateDirectory("\\\\?\\" + kDemoInstall + "\\d.");
                   os.AddLink(kDemoInstall + "\\d", "C:\\Secret");
               },
               ""},
        Breach{"a menu name changed to lead out", kDemoInstall, nullptr,
               [](auto& ctx, auto& os) {
                   os.AddFile("C:\\Users\\p\\Desktop\\mine.txt", "m");
                   ctx.MENU_NAME = "..\\Desktop";
               },
               "DELETE MENU:<MENU DIR>\n"}));

}  // namespace
}  // namespace setup
