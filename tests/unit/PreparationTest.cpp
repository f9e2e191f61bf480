#include <gtest/gtest.h>

#include <algorithm>

#include "install/Preparation.h"
#include "support/SetupFixture.h"
#include "system/FileUtil.h"

namespace setup {
namespace {

class PreparationTest : public SetupFixture {
protected:
    void SetUp() override {
        OpenMedium();
        AddMediumFile("Game.exe", "game");
        AddMediumFile("Readme.txt", "readme!");
        AddMediumFile("Data\\stage1.dat", "11");
        AddMediumFile("Data\\Sub\\deep.dat", "333");
        os.AddFolder("C:\\Media\\Data\\Empty");
        AddMediumFile("Movie\\op.bin");
        os.SetFileSize("C:\\Media\\Movie\\op.bin", 5ull << 30);
        os.AddFolder("C:\\Program Files");
        ctx.ProgramDir = "C:\\Program Files";
        ctx.INSTALL_DIR = "Hoshi";
        ctx.REG_ROOT_KEY_NAME = "Hoshi";
        WriteScript(
            "[Files]\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:\nCOPY:Readme.txt:0:1:1:<INSTALL DIR>:\n"
            "COPY DIR:Data:0:1:1:<INSTALL DIR>\\:\nCOPY:Movie\\*.bin:0:0:1:<INSTALL DIR>:\n"
            "[Registory]\nCREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\n[Uninstall]\nDELETE DIR:x\n");
    }
    // The events up to the wizard: the preparing window with `pumps` pumps.
    std::vector<std::string> Measuring(size_t pumps) {
        std::vector<std::string> e = {"preparing: create", "preparing: show"};
        e.insert(e.end(), pumps, "pump");
        e.push_back("preparing: destroy");
        return e;
    }
    std::vector<std::string> EventsBeforeWizard() const {
        return {ui.events.begin(), std::find(ui.events.begin(), ui.events.end(), "wizard")};
    }
    std::vector<int64_t> Bytes() const { return {ctx.RequiredBytes, ctx.RequiredBytes + 3}; }
    std::vector<int32_t> Counts() const { return {ctx.FileCounts, ctx.FileCounts + 4}; }
};

// Pumps: shown 1, minimum 1, standard and full 1 + 3 folders (Data\Sub,
// Data\Empty, Data) each, free space 1.
constexpr size_t kPumps = 11;

TEST_F(PreparationTest, MeasuresEveryTypeInFullThenInstallsWhatTheWizardChose) {
    KeepTrace();
    lists.Files.resize(9);  // stale entries of an earlier action
    lists.Uninstall.resize(1);
    ctx.FileCounts[kUninstallFiles] = 7;
    ui.onWizard = [&](InstallFolderAccess&, WizardChoice& choice) {
        EXPECT_EQ(choice.installPath, "C:\\Program Files\\Hoshi");  // the defaults
        choice.setupType = kSetupMinimum;
        choice.installPath = "C:\\Games\\Hoshi";
        return mb::kWizardFinish;
    };
    EXPECT_EQ(PrepareInstallation(env, lists), 1);

    EXPECT_EQ(EventsBeforeWizard(), Measuring(kPumps));
    EXPECT_EQ(ui.ProgressEvents().front(), "create 116");
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Game.exe"), "game");
    EXPECT_FALSE(os.Exists("C:\\Games\\Hoshi\\Readme.txt"));
    EXPECT_EQ(os.StringOf(HKEY_CURRENT_USER_, "SOFTWARE\\Hoshi", "INSTALL"), "C:\\Games\\Hoshi");
    EXPECT_EQ(
        (std::vector<size_t>{lists.Files.size(), lists.Registry.size(), lists.Uninstall.size()}),
        (std::vector<size_t>{4, 1, 0}));
    EXPECT_EQ(Bytes(), (std::vector<int64_t>{4, 16, (5ll << 30) + 16}));
    EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 4, 5, 7}));
    EXPECT_EQ(FormatSizeText(ctx.RequiredBytes[2]), "5120 MB");
    EXPECT_EQ(ctx.FreeBytes, 10ll << 30);
    for (const char* line : {"C:\\Media\\Movie\\op.bin : 5368709120 byte\n", "0 4 bytes\n0 1 \n",
                             "2 5368709136 bytes\n2 5 \n", "HDD 10737418240 Bytes\n"}) {
        EXPECT_NE(trace.find(line), std::string::npos) << line << " not in\n" << trace;
    }
}

TEST_F(PreparationTest, OnlyFinishInstallsAndEachInstallMeasuresAfresh) {
    for (const int result : {mb::IDCANCEL_, 0}) {
        ui.events.clear();
        ui.wizardResults = {result};
        EXPECT_EQ(PrepareInstallation(env, lists), 1);
        std::vector<std::string> expected = Measuring(kPumps);
        expected.push_back("wizard");
        EXPECT_EQ(ui.events, expected) << result;
        EXPECT_EQ(lists.Files.size(), 4u);
        EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 4, 5, 0}));
    }
    EXPECT_FALSE(os.Exists("C:\\Program Files\\Hoshi"));
}

TEST_F(PreparationTest, CountsEachFileOncePerEntryThatReachesIt) {
    const struct {
        const char* files;
        std::vector<int64_t> bytes;
        std::vector<int32_t> counts;
    } cases[] = {
        // Selected by two types: measured for each; twice in one type: twice.
        {"COPY:Game.exe:1:1:0:x:\nCOPY:Game.exe:1:0:0:x:\n", {8, 4, 0}, {2, 1, 0, 0}},
        // Empty folders add nothing; a type no entry selects is 0.
        {"COPY DIR:Data\\Empty:0:1:0:x:\nCOPY:Data\\Sub\\*.*:0:0:1:x:\n", {0, 0, 3}, {0, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        WriteScript(std::string("[Files]\n") + c.files + "[Registory]\n");
        ui.wizardResults = {mb::IDCANCEL_};
        ASSERT_EQ(PrepareInstallation(env, lists), 1) << c.files;
        EXPECT_EQ(Bytes(), c.bytes) << c.files;
        EXPECT_EQ(Counts(), c.counts) << c.files;
    }
}

TEST_F(PreparationTest, FreeSpaceIsThatOfTheProgramFilesDriveAndZeroOnFailure) {
    os.AddFolder("D:\\Apps");
    os.SetDiskSpace('D', FakeOs::DiskSpace{3ull << 30});
    ctx.ProgramDir = "D:\\Apps";
    for (const int64_t free : {3ll << 30, 0ll}) {
        if (!free) os.FailNext("GetDiskFreeSpaceEx", win::ERROR_PATH_NOT_FOUND_);
        ctx.FreeBytes = 99;
        ui.wizardResults = {mb::IDCANCEL_};
        EXPECT_EQ(PrepareInstallation(env, lists), 1);
        EXPECT_EQ(ctx.FreeBytes, free);
    }
}

TEST_F(PreparationTest, EachFailureStopsBeforeTheWizardWithItsMessage) {
    const auto notFound = [](const char* search) {
        return std::string("ｲﾝｽﾄｰﾙ/ｱﾝｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\nC:\\Media\\") + search +
               "\nが見つかりませんでした。";
    };
    const struct {
        int failRead;        // which read of Setup.inf fails, 0 none
        const char* search;  // the search below the medium that finds nothing, or ""
        std::string box;     // the last box
        int failingType;
        size_t pumps;  // before the box: painting, types and folders done
    } cases[] = {
        {1, "", "2) Failed to load and analyze Inf file (Files Section). Install aborted.", -1, 0},
        {2, "", "3) Failed to load and analyze Inf file (Regist Section). Install aborted.", -1, 0},
        {0, "Game.exe", notFound("Game.exe"), 0, 1},
        {0, "Readme.txt", notFound("Readme.txt"), 1, 2},
        {0, "Data\\Sub\\*.*", notFound("Data\\Sub\\*.*"), 1, 2},  // unreadable subfolder
        {0, "Movie\\*.bin", notFound("Movie\\*.bin"), 2, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        os.ClearFailures();
        if (*c.search) {
            // A subfolder is searched in the long form.
            for (const char* form : {"C:\\Media\\", "\\\\?\\C:\\Media\\"}) {
                os.FailPath("FindFiles", std::string(form) + c.search, win::ERROR_ACCESS_DENIED_);
            }
        }
        // The n-th read fails, as an unreadable Setup.inf would.
        os.onCall = [reads = 0, n = c.failRead](const std::string& method,
                                                const std::string&) mutable {
            return method == "ReadFile" && ++reads == n ? std::optional<uint32_t>(5) : std::nullopt;
        };
        ui.events.clear();
        ui.boxes.clear();

        EXPECT_EQ(PrepareInstallation(env, lists), 0);
        std::vector<std::string> expected = {"box: " + c.box};
        if (c.failRead) {
            expected.insert(expected.begin(), "box: Failed to open inf file.");
        } else {
            expected = Measuring(c.pumps);
            expected.insert(expected.end() - 1, "box: " + c.box);
            EXPECT_EQ(ctx.RequiredBytes[c.failingType], -1);
        }
        EXPECT_EQ(ui.events, expected);
        EXPECT_EQ(ui.boxes.back(), AppBox(c.box, c.failRead ? 0 : 48));
    }
    EXPECT_EQ(ui.wizardRuns, 0);
}

// Without the wizard, its rule still holds: the drive must have more free
// space than the type needs, or nothing is made.
TEST_F(PreparationTest, WithoutTheWizardTheFreeSpaceMustExceedTheNeed) {
    os.SetDiskSpace('C', FakeOs::DiskSpace{1 << 20});
    EXPECT_EQ(InstallWithoutWizard(env, lists, kSetupFull, ""), kActionFailed);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{AppBox("約 5119 MB がｲﾝｽﾄｰﾙにはたりません。", 48)}));
    EXPECT_FALSE(os.Exists("C:\\Program Files\\Hoshi"));
    ctx.UserProgramFolderDir = "C:\\Programs";
    ctx.MENU_NAME = "Hoshi";
    EXPECT_EQ(InstallWithoutWizard(env, lists, kSetupMinimum, "C:\\Games\\星"), kActionDone);
    EXPECT_EQ(os.FileContent("C:\\Games\\星\\Game.exe"), "game");
}

}  // namespace
}  // namespace setup
