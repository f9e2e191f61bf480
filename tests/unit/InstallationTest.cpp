#include <gtest/gtest.h>

#include "install/Installation.h"
#include "support/SetupFixture.h"
#include "system/InstallRecord.h"
#include "system/PathCheck.h"

namespace setup {
namespace {

const ShownBox kCopyAborted =
    DesktopBox("ﾌｧｲﾙｺﾋﾟｰ時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。", "ｲﾝｽﾄｰﾙ", 48);
const ShownBox kRegistryAborted =
    DesktopBox("ﾚｼﾞｽﾄﾘ作成時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。", "ｲﾝｽﾄｰﾙ", 48);

class InstallationTest : public SetupFixture {
protected:
    void SetUp() override {
        OpenMedium("C:\\Media\\");
        AddMediumFile("Game.exe", "game");
        AddMediumFile("Readme.txt", "readme");
        AddMediumFile("Data\\stage1.dat", "1");
        AddMediumFile("Data\\stage2.dat", "2");
        AddMediumFile("Save\\save.dat", "s", win::FILE_ATTRIBUTE_READONLY_);
        os.AddFolder("C:\\Users\\p\\Programs");
        PlaceDemoProduct(ctx);
        ctx.FileCounts[0] = 3;
        ctx.FileCounts[1] = 5;
        ctx.FileCounts[2] = 5;
        ReadScript(
            "[Files]\n"
            "COPY:Game.exe:1:1:1:<INSTALL DIR>:星の旅路\n"
            "COPY:Readme.txt:1:1:1:<INSTALL DIR>:お読みください\n"
            "COPY DIR:Save:1:1:1:<INSTALL DIR>\\:\n"
            "COPY:Data\\*.dat:0:1:1:<INSTALL DIR>\\Data:データ\n"
            "[Registory]\n"
            "CREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\n"
            "CREATE KEY:Settings:1:1:1:0:\n"
            "CREATE REG:Settings\\Source:1:1:1:0:<CURRENT DIR>\n"
            "CREATE REG:Settings\\Volume:1:1:1:80:\n"
            "CREATE REG:Settings\\Zero:1:1:1:0:\n"
            "CREATE REG:Settings\\Twice:1:1:1:0:<INSTALL DIR>|<INSTALL DIR>\n"
            "NOTHING:Ignored:1:1:1:0:x\n");
    }
    // The progress window's events of a run whose copy phase has `files` steps.
    static std::vector<std::string> Events(int files) {
        std::vector<std::string> e = {"create 116", "range 0 100", "step 1", "pos 0", "show"};
        const std::pair<const char*, int> phases[] = {
            {"ﾌｧｲﾙのｺﾋﾟｰ中...", files}, {"ﾚｼﾞｽﾄﾘの設定中...", 1}, {"ｼｮｰﾄｶｯﾄの作成中...", 2}};
        for (const auto& [status, steps] : phases) {
            e.insert(e.end(), {std::string("status ") + status, "range 0 " + std::to_string(steps),
                               "step 1", "pos 0"});
            e.insert(e.end(), steps, "stepit");
        }
        e.push_back("destroy");
        return e;
    }

    WizardChoice chosen{kSetupStandard, "C:\\Games\\Hoshi"};
};

TEST_F(InstallationTest, AFullRunCopiesWritesLinksAndReports) {
    EXPECT_EQ(RunInstallation(env, lists, chosen), 1);

    EXPECT_EQ(ui.ProgressEvents(), Events(5));
    EXPECT_EQ(ui.bar.Percent(), "100%");
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{kInstallDone}));
    // The success box comes while the progress window is still up.
    EXPECT_EQ(ui.events[ui.events.size() - 2], "box: ｲﾝｽﾄｰﾙが正常に完了しました。");
    EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{300, 300, 300, 300, 300, 500}));

    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Game.exe"), "game");
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Data\\stage2.dat"), "2");
    EXPECT_EQ(os.Attributes("C:\\Games\\Hoshi\\Save\\save.dat") & win::FILE_ATTRIBUTE_READONLY_,
              0u);

    const auto value = os.ValueOf(HKEY_CURRENT_USER_, kDemoKey, "INSTALL");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, win::REG_SZ_);
    EXPECT_EQ(value->data.size(), 2u * 14);  // UTF-16, no terminator
    EXPECT_EQ(os.StringOf(HKEY_CURRENT_USER_, kDemoKey, "INSTALL"), "C:\\Games\\Hoshi");
    const std::string settings = kDemoKey + "\\Settings";
    EXPECT_EQ(os.StringOf(HKEY_CURRENT_USER_, settings, "Source"), "C:\\Media");
    EXPECT_EQ(os.StringOf(HKEY_CURRENT_USER_, settings, "Twice"),
              "C:\\Games\\Hoshi|C:\\Games\\Hoshi");
    EXPECT_EQ(os.ValueOf(HKEY_CURRENT_USER_, settings, "Volume"),
              (FakeOs::RegValue{win::REG_DWORD_, {80, 0, 0, 0}}));
    EXPECT_EQ(os.ValueOf(HKEY_CURRENT_USER_, settings, "Zero"),
              (FakeOs::RegValue{win::REG_DWORD_, {0, 0, 0, 0}}));
    EXPECT_EQ(os.SubKeys(HKEY_CURRENT_USER_, kDemoKey), (std::vector<std::string>{"Settings"}));
    EXPECT_EQ(os.OpenKeyCount(), 0);

    const auto link = os.LinkAt(kDemoMenu + "\\星の旅路.lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, "C:\\Games\\Hoshi\\Game.exe");
    EXPECT_FALSE(link->description || link->arguments || link->workingDirectory || link->iconFile);
    EXPECT_EQ(link->showCommand, 1);
    // A link to a wildcard source is made as written; it is not fatal.
    EXPECT_EQ(os.LinkAt(kDemoMenu + "\\データ.lnk")->target, "C:\\Games\\Hoshi\\Data\\Data\\*.dat");
    EXPECT_EQ(os.ComInitCount(), 0);
}

TEST_F(InstallationTest, OnlyTheChosenTypesEntriesTakePart) {
    chosen.setupType = 0;
    EXPECT_EQ(RunInstallation(env, lists, chosen), 1);
    EXPECT_FALSE(os.Exists("C:\\Games\\Hoshi\\Data"));
    EXPECT_FALSE(os.Exists(kDemoMenu + "\\データ.lnk"));
    EXPECT_TRUE(os.LinkAt(kDemoMenu + "\\お読みください.lnk"));
}

TEST_F(InstallationTest, AnEmptySetupTypeRunsOnWithAnEmptyBar) {
    ReadScript("[Files]\nCOPY:Game.exe:0:0:1:<INSTALL DIR>:G\n[Registory]\n");
    ctx.FileCounts[1] = 0;
    EXPECT_EQ(RunInstallation(env, lists, chosen), 1);
    EXPECT_EQ(ui.ProgressEvents(), Events(0));
    EXPECT_TRUE(os.IsFolder(kDemoMenu));  // the menu folder is made even without links
    EXPECT_FALSE(os.KeyExists(HKEY_CURRENT_USER_, kDemoKey));
}

TEST_F(InstallationTest, AMissingSourceStopsTheRunAfterTheFilesBefore) {
    os.DeleteFile("C:\\Media\\Readme.txt");
    EXPECT_EQ(RunInstallation(env, lists, chosen), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{
                            AppBox("ｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\nC:\\Media\\Readme.txt\n"
                                   "が見つかりませんでした。",
                                   48),
                            kCopyAborted}));
    EXPECT_EQ(ui.events.back(), "progress: destroy");
    EXPECT_TRUE(os.Exists("C:\\Games\\Hoshi\\Game.exe"));  // not undone
    EXPECT_FALSE(os.KeyExists(HKEY_CURRENT_USER_, kDemoKey));
    EXPECT_EQ(ui.progressWindowsOpen, 0);
}

TEST_F(InstallationTest, AProductKeyThatCannotBeMadeAbortsTheRegistryPhase) {
    os.FailNext("RegCreateKeyEx", win::ERROR_ACCESS_DENIED_);
    KeepTrace();
    EXPECT_EQ(RunInstallation(env, lists, chosen), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{kRegistryAborted,
                                               AppBox("Failed to create registery value", 0)}));
    EXPECT_NE(trace.find("**Failed to create registery value\n"), std::string::npos);
    EXPECT_EQ(ui.events.back(), "progress: destroy");
    EXPECT_FALSE(os.Exists(kDemoMenu));
}

TEST_F(InstallationTest, AValueUnderAKeyNotMadeYetFailsTheRun) {
    ReadScript(
        "[Files]\n[Registory]\nCREATE REG:Later\\Value:1:1:1:0:x\nCREATE KEY:Later:1:1:1:0:\n");
    EXPECT_EQ(RunInstallation(env, lists, chosen), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{kRegistryAborted,
                                               AppBox("Failed to set registery value", 0)}));
    EXPECT_TRUE(os.KeyExists(HKEY_CURRENT_USER_, kDemoKey));
    EXPECT_FALSE(os.KeyExists(HKEY_CURRENT_USER_, kDemoKey + "\\Later"));
}

TEST_F(InstallationTest, AStartMenuFolderThatCannotBeMadeAbortsTheShortcuts) {
    os.FailPath("CreateDirectory", kDemoMenu, win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(RunInstallation(env, lists, chosen), 0);
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{
                  AppBox(std::string("ｽﾀｰﾄﾒﾆｭｰ") + kDemoMenu + "の作成に失敗しました。", 48),
                  DesktopBox("ｼｮｰﾄｶｯﾄ作成時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。", "ｲﾝｽﾄｰﾙ", 48)}));
    EXPECT_EQ(ui.events.back(), "progress: destroy");
    EXPECT_TRUE(os.KeyExists(HKEY_CURRENT_USER_, kDemoKey));
}

TEST_F(InstallationTest, ShortcutFailuresAreNotFatal) {
    os.FailNext("CoInitialize", static_cast<uint32_t>(win::E_FAIL_));
    os.FailNext("SaveShellLink", static_cast<uint32_t>(win::HRESULT_ACCESS_DENIED_));
    EXPECT_EQ(RunInstallation(env, lists, chosen), 1);
    EXPECT_FALSE(os.LinkAt(kDemoMenu + "\\星の旅路.lnk"));        // no COM
    EXPECT_FALSE(os.LinkAt(kDemoMenu + "\\お読みください.lnk"));  // save failed
    EXPECT_TRUE(os.LinkAt(kDemoMenu + "\\データ.lnk"));
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{kInstallDone}));
    EXPECT_EQ(os.ComInitCount(), 0);
}

TEST_F(InstallationTest, ADriveRootMediumCopiesFromTheRoot) {
    os.AddFile("C:\\Game.exe", "root game");
    ReadScript("[Files]\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:\n");
    os.SetCurrentDirectory("C:\\");
    EXPECT_EQ(RunInstallation(env, lists, chosen), 1);
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Game.exe"), "root game");
}

// Every form a [Files] line may take installs where the copy's own path rule
// puts it: a folder keeps its path below the medium, a file named by COPY DIR
// lands in "<target><source>", and the author's target may be absolute or
// climb with "..".
TEST_F(InstallationTest, EveryFilesFormInstallsWhereItsPathsLead) {
    const std::string dir = "C:\\Games\\Hoshi";
    const struct {
        const char* line;
        std::vector<std::string> landed;
    } rows[] = {
        {"COPY DIR:Save:1:1:1:<INSTALL DIR>:", {dir + "\\Save\\save.dat"}},
        {"COPY DIR:Save:1:1:1:<INSTALL DIR>\\:", {dir + "\\Save\\save.dat"}},
        {"COPY DIR:Game.exe:1:1:1:<INSTALL DIR>\\:", {dir + "\\Game.exe\\Game.exe"}},
        {"COPY:Data\\*.dat:1:1:1:<INSTALL DIR>\\D:",
         {dir + "\\D\\stage1.dat", dir + "\\D\\stage2.dat"}},
        {"COPY:Game.exe:1:1:1:\"C:\\Shared\":", {"C:\\Shared\\Game.exe"}},
        {"COPY DIR:Save:1:1:1:\"C:\\Shared\\\":", {"C:\\Shared\\Save\\save.dat"}},
        {"COPY:Game.exe:1:1:1:<INSTALL DIR>\\..\\Evil:", {"C:\\Games\\Evil\\Game.exe"}},
        {"COPY DIR:Save:1:1:1:<INSTALL DIR>\\..:", {"C:\\Games\\Save\\save.dat"}},
        // The guide's table: a folder keeps its whole path below the target,
        // with COPY as with COPY DIR; a file named by COPY keeps only its name.
        {"COPY:Game.exe:1:1:1:<INSTALL DIR>:", {dir + "\\Game.exe"}},
        {"COPY:Save:1:1:1:<INSTALL DIR>:", {dir + "\\Save\\save.dat"}},
        {"COPY:Data\\stage1.dat:1:1:1:<INSTALL DIR>:", {dir + "\\stage1.dat"}},
        {"COPY DIR:Data\\Sub:1:1:1:<INSTALL DIR>\\Data:", {dir + "\\Data\\Data\\Sub\\deep.dat"}},
        {"COPY:Data\\Sub:1:1:1:<INSTALL DIR>\\Data:", {dir + "\\Data\\Data\\Sub\\deep.dat"}},
        {"COPY DIR:Data\\Sub:1:1:1:<INSTALL DIR>:", {dir + "\\Data\\Sub\\deep.dat"}},
        {"COPY DIR:Game.exe:1:1:1:<INSTALL DIR>:", {dir + "Game.exe\\Game.exe"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        BasicSetupMachine<FakeOs> m;
        m.OpenMedium();
        m.AddMediumFile("Game.exe", "game");
        m.AddMediumFile("Data\\stage1.dat", "1");
        m.AddMediumFile("Data\\stage2.dat", "2");
        m.AddMediumFile("Save\\save.dat", "s");
        m.AddMediumFile("Data\\Sub\\deep.dat", "d");
        PlaceDemoProduct(m.ctx);
        m.ReadScript(std::string("[Files]\n") + row.line + "\n");
        EXPECT_EQ(RunInstallation(m.env, m.lists, {1, dir}), 1);
        EXPECT_EQ(m.ui.boxes, (std::vector<ShownBox>{kInstallDone}));
        for (const std::string& file : row.landed) EXPECT_TRUE(m.os.Exists(file)) << file;
    }
}

// A shortcut leads to "<target>\<source>": to a file in a subfolder only when
// another line installs the folder, and never from a line whose target
// names that subfolder.
TEST_F(InstallationTest, AShortcutToAFileInASubfolder) {
    for (const bool right : {true, false}) {
        BasicSetupMachine<FakeOs> m;
        m.OpenMedium();
        m.AddMediumFile("Manual\\index.html", "m");
        PlaceDemoProduct(m.ctx);
        m.ReadScript(right ? "[Files]\nCOPY DIR:Manual:1:1:1:<INSTALL DIR>\\:\n"
                             "COPY:Manual\\index.html:1:1:1:<INSTALL DIR>:マニュアル\n"
                           : "[Files]\nCOPY:Manual\\index.html:1:1:1:<INSTALL DIR>\\Manual:マニュアル\n");
        ASSERT_EQ(RunInstallation(m.env, m.lists, {1, "C:\\Games"}), 1);
        const auto link = m.os.LinkAt(kDemoMenu + "\\マニュアル.lnk");
        ASSERT_TRUE(link);
        EXPECT_EQ(right, m.os.Exists(link->target)) << link->target;
    }
}

// The record names what the run made, outside the product's folder, and a
// second run into the same folder keeps what the first recorded.
TEST_F(InstallationTest, TheRecordNamesWhatTheRunMadeAndOutlivesASecondRun) {
    const std::string kBrandMenu = "C:\\Users\\p\\Programs\\ﾃﾞﾓｿﾌﾄ";
    os.SetEnv("LOCALAPPDATA", "C:\\Users\\p\\AppData\\Local");
    os.AddFile("C:\\Games\\note.txt", "mine");
    chosen.installPath = "C:\\Games";
    ASSERT_EQ(RunInstallation(env, lists, chosen), 1);
    std::string path;
    InstallRecord record;
    ASSERT_TRUE(FindInstallRecord(os, kDemoKey, "C:\\Games", record, path));
    EXPECT_TRUE(LiesBelow(os, path, "C:\\Users\\p\\AppData\\Local"));
    EXPECT_EQ(record.key, kDemoKey);
    EXPECT_EQ(record.folder, "C:\\Games");
    EXPECT_TRUE(record.folderExisted);
    std::vector<std::string> folders, files;
    for (const auto& place : record.folders) folders.push_back(place.path);
    for (const auto& place : record.files) files.push_back(place.path);
    EXPECT_EQ(folders, (std::vector<std::string>{"C:\\Games\\\\Save", "C:\\Games\\Data", kBrandMenu,
                                                 kDemoMenu}));
    EXPECT_EQ(files, (std::vector<std::string>{"C:\\Games\\Game.exe", "C:\\Games\\Readme.txt"}));
    EXPECT_EQ(record.keys,
              (std::vector<std::string>{"SOFTWARE\\ﾃﾞﾓｿﾌﾄ", kDemoKey, kDemoKey + "\\Settings"}));
    EXPECT_EQ(record.values.size(), 5u);
    EXPECT_EQ(os.List("C:\\Games"),
              (std::vector<std::string>{"note.txt", "Game.exe", "Readme.txt", "Save", "Data"}));

    ui.boxes.clear();
    ASSERT_EQ(RunInstallation(env, lists, chosen), 1);
    InstallRecord second;
    std::string secondPath;
    ASSERT_TRUE(FindInstallRecord(os, kDemoKey, "C:\\Games", second, secondPath));
    EXPECT_EQ(secondPath, path);
    // The folders were there already: what the first run made stays on
    // record, each place once.
    EXPECT_EQ(second.folders.size(), record.folders.size());
    EXPECT_EQ(second.keys, record.keys);
    EXPECT_EQ(second.files.size(), 2u);
}

}  // namespace
}  // namespace setup
