#include <gtest/gtest.h>

#include "app/ProgramActions.h"
#include "fakes/BmpBuilder.h"
#include "launch/Launch.h"
#include "support/SetupFixture.h"
#include "core/Utf16.h"
#include "ui/Launcher.h"

namespace setup {
namespace {

constexpr char kProductKey[] = "SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\Hoshi";

class LauncherLogicTest : public SetupFixture {
protected:
    void SetUp() override {
        OpenMedium();
        AddMediumFile("title.bmp", MakeBmp(BmpLayout{}));
        ctx.TITLE_BMP = "title.bmp";
        ctx.GAME_NAME = "星の旅路";
        ctx.REG_ROOT_KEY_NAME = "ﾃﾞﾓｿﾌﾄ\\Hoshi";
        ctx.GAME_EXE_NAME = "Game.exe";
    }
    LauncherAsk Answer(int answer) {
        return [this, answer](const std::string& text, const std::string& caption, unsigned style) {
            asked.push_back(DesktopBox(text, caption, style));
            return answer;
        };
    }

    bool Open() {
        return OpenLauncher(os, ui, ctx, state,
                            [this](std::string& folder) { return ReadInstallFolder(env, folder); });
    }

    LauncherState state;
    std::vector<ShownBox> asked;
};

TEST_F(LauncherLogicTest, OpensOfferingWhatTheStoredFolderAllows) {
    const struct {
        const char* stored;  // the INSTALL value, null for none
        bool install, run, uninstall;
        const char* targetDir;
    } cases[] = {
        {nullptr, true, false, false, ""},
        {"C:\\Games\\星", false, true, true, "C:\\Games\\星"},
        {"", false, true, true, ""},  // an empty stored folder still counts as installed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "none");
        if (c.stored) os.SetString(HKEY_CURRENT_USER_, kProductKey, "INSTALL", c.stored);
        state = LauncherState();
        ASSERT_TRUE(Open());
        EXPECT_EQ(state.caption, "星の旅路");
        EXPECT_TRUE(state.bitmap.Loaded());
        EXPECT_EQ(state.installEnabled, c.install);
        EXPECT_EQ(state.runEnabled, c.run);
        EXPECT_EQ(state.uninstallEnabled, c.uninstall);
        EXPECT_EQ(state.outcome.installFolder, c.targetDir);
    }
}

TEST_F(LauncherLogicTest, ABitmapFailureClosesBeforeTheRegistryIsRead) {
    os.DeleteFile("C:\\Media\\title.bmp");
    os.SetString(HKEY_CURRENT_USER_, kProductKey, "INSTALL", "C:\\Games");
    EXPECT_FALSE(Open());
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(state.outcome.installFolder, "");
    EXPECT_EQ(state.outcome.choice, 0);
}

// Each command finds a stale choice of 9: what it leaves there and returns.
TEST_F(LauncherLogicTest, ButtonsRecordTheChoiceAndOnlyYesChoosesUninstall) {
    const struct {
        int command, answer, result, choice;
    } cases[] = {
        {IDC_INSTALL, mb::IDNO_, mb::IDOK_, 1},
        {IDC_RUN, mb::IDNO_, mb::IDOK_, 3},
        {IDC_EXIT, mb::IDNO_, mb::IDCANCEL_, 0},
        {mb::IDCANCEL_, mb::IDNO_, mb::IDCANCEL_, 0},
        {1005, mb::IDNO_, 0, 9},
        {IDC_UNINSTALL, mb::IDNO_, 0, 9},
        {IDC_UNINSTALL, mb::IDYES_, mb::IDOK_, 2},
    };
    for (const auto& c : cases) {
        state.outcome.choice = 9;
        EXPECT_EQ(LauncherCommand(ctx, state, c.command, Answer(c.answer)), c.result) << c.command;
        EXPECT_EQ(state.outcome.choice, c.choice) << c.command;
    }
    // Only uninstalling asks.
    const ShownBox question =
        DesktopBox("星の旅路のｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", "確認", 292);
    EXPECT_EQ(asked, (std::vector<ShownBox>{question, question}));
}

TEST(InstalledProgramPath, JoinsWithExactlyOneBackslash) {
    EXPECT_EQ(InstalledProgramPath("C:\\Games\\Title", "Title.exe"), "C:\\Games\\Title\\Title.exe");
    EXPECT_EQ(InstalledProgramPath("C:\\Games\\Title\\", "Title.exe"),
              "C:\\Games\\Title\\Title.exe");
    EXPECT_EQ(InstalledProgramPath("C:\\Games\\Title", "\\Title.exe"),
              "C:\\Games\\Title\\Title.exe");
    // Where either side brings its backslash, the text is used as it stands.
    EXPECT_EQ(InstalledProgramPath("C:\\Games\\", "\\Title.exe"), "C:\\Games\\\\Title.exe");
    EXPECT_EQ(InstalledProgramPath("C:\\ソ", "ゲーム.exe"), "C:\\ソ\\ゲーム.exe");
}

TEST_F(LauncherLogicTest, TheInstallFolderIsReadSafelyWhateverTheValueHolds) {
    using namespace win;
    os.SetEnv("GAMES", "D:\\Games");
    const std::u16string x259(259, u'x'), x260(260, u'x');
    const struct {
        const char* name;
        FakeOs::RegValue value;
        int installed;
        std::string targetDir;
    } cases[] = {
        {"plain", {REG_SZ_, Utf16Bytes(u"C:\\G", true)}, 1, "C:\\G"},
        {"no terminator", {REG_SZ_, Utf16Bytes(u"C:\\G", false)}, 1, "C:\\G"},
        {"259 characters", {REG_SZ_, Utf16Bytes(x259, true)}, 1, std::string(259, 'x')},
        {"260 characters", {REG_SZ_, Utf16Bytes(x260, true)}, 0, ""},
        {"wrong type", {REG_BINARY_, Utf16Bytes(u"C:\\G", true)}, 0, ""},
        {"a number", {REG_DWORD_, {4, 0, 0, 0}}, 0, ""},
        {"expanded", {REG_EXPAND_SZ_, Utf16Bytes(u"%GAMES%\\Hoshi", true)}, 1, "D:\\Games\\Hoshi"},
    };
    for (const auto& c : cases) {
        os.SetValue(HKEY_CURRENT_USER_, kProductKey, "INSTALL", c.value.type, c.value.data);
        std::string folder = "sentinel";
        EXPECT_EQ(ReadInstallFolder(env, folder), c.installed) << c.name;
        EXPECT_EQ(folder, c.targetDir) << c.name;
    }
    EXPECT_EQ(os.OpenKeyCount(), 0);
}

TEST_F(LauncherLogicTest, AMissingFolderIsTraced) {
    KeepTrace();
    std::string folder;
    EXPECT_EQ(ReadInstallFolder(env, folder), 0);
    EXPECT_NE(trace.find("**Failed\n**Failed to get reg - <INSTALL>\n"), std::string::npos)
        << trace;
}

TEST_F(LauncherLogicTest, RunStartsTheProgramThroughTheShell) {
    ctx.TargetDir = "C:\\Games\\Hoshi";
    EXPECT_EQ(LaunchInstalledProgram(env), 1);
    EXPECT_EQ(os.shellExecuteCalls,
              (std::vector<FakeOs::ShellExecuteCall>{
                  {"open", "C:\\Games\\Hoshi\\Game.exe", "", "", win::SW_SHOW_}}));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LauncherLogicTest, ARefusedLaunchNamesThePath) {
    ctx.TargetDir = "C:\\Games\\Hoshi\\";
    os.shellExecuteResult = 32;
    EXPECT_EQ(LaunchInstalledProgram(env), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{
                            AppBox("C:\\Games\\Hoshi\\Game.exe\nを実行できませんでした。", 48)}));
}

TEST_F(LauncherLogicTest, RunWithoutAFolderSaysSoAndStartsNothing) {
    EXPECT_EQ(LaunchInstalledProgram(env), 0);
    EXPECT_TRUE(os.shellExecuteCalls.empty());
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{DesktopBox(
                  "ｲﾝｽﾄｰﾙされていないか、予期せぬｴﾗｰのため実行できません。", "実行", 48)}));
}

TEST_F(LauncherLogicTest, EachActionRunsOnTheAppsLists) {
    SetupApp app(ctx, os, ui);
    ProgramActions actions(app);
    AddMediumFile("Game.exe", "game");
    WriteScript(
        "[Files]\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:\n[Registory]\n"
        "[Uninstall]\nDELETE DIR:<INSTALL DIR>\n");
    ctx.ProgramDir = "C:\\Games";
    ctx.INSTALL_DIR = "Hoshi";
    EXPECT_EQ(actions.PrepareInstallation(), 1);
    EXPECT_EQ(app.Lists().Files.size(), 1u);
    EXPECT_EQ(os.FileContent("C:\\Games\\Hoshi\\Game.exe"), "game");
    ctx.TargetDir = "C:\\Games\\Hoshi";
    EXPECT_EQ(actions.LaunchInstalledProgram(), 1);
    // Uninstalling reads its own section afresh into the app's lists.
    EXPECT_EQ(actions.RunUninstallation(), 1);
    EXPECT_TRUE(app.Lists().Files.empty());
    EXPECT_EQ(app.Lists().Uninstall.size(), 1u);
    EXPECT_FALSE(os.Exists("C:\\Games\\Hoshi"));
}

}  // namespace
}  // namespace setup
