#include <gtest/gtest.h>

#include "app/ProgramActions.h"
#include "fakes/BmpBuilder.h"
#include "launch/Launch.h"
#include "support/SetupFixture.h"
#include "support/Utf16.h"
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

    LauncherState state;
    std::vector<ShownBox> asked;
};

TEST_F(LauncherLogicTest, NotInstalledOffersOnlyInstall) {
    ctx.TargetDir = "stale";
    ASSERT_TRUE(OpenLauncher(env, state, ReadInstallFolder));
    EXPECT_EQ(state.caption, "星の旅路");
    EXPECT_TRUE(state.bitmap.Loaded());
    EXPECT_TRUE(state.installEnabled);
    EXPECT_FALSE(state.runEnabled);
    EXPECT_FALSE(state.uninstallEnabled);
    EXPECT_EQ(ctx.TargetDir, "");
}

TEST_F(LauncherLogicTest, InstalledOffersRunAndUninstall) {
    os.SetString(HKEY_CURRENT_USER_, kProductKey, "INSTALL", "C:\\Games\\星");
    ASSERT_TRUE(OpenLauncher(env, state, ReadInstallFolder));
    EXPECT_FALSE(state.installEnabled);
    EXPECT_TRUE(state.runEnabled);
    EXPECT_TRUE(state.uninstallEnabled);
    EXPECT_EQ(ctx.TargetDir, "C:\\Games\\星");
}

TEST_F(LauncherLogicTest, AnEmptyStoredFolderStillCountsAsInstalled) {
    os.SetString(HKEY_CURRENT_USER_, kProductKey, "INSTALL", "");
    ASSERT_TRUE(OpenLauncher(env, state, ReadInstallFolder));
    EXPECT_TRUE(state.runEnabled);
    EXPECT_EQ(ctx.TargetDir, "");
}

TEST_F(LauncherLogicTest, ABitmapFailureClosesBeforeTheRegistryIsRead) {
    os.DeleteFile("C:\\Media\\title.bmp");
    os.SetString(HKEY_CURRENT_USER_, kProductKey, "INSTALL", "C:\\Games");
    ctx.MenuChoice = 0;
    EXPECT_FALSE(OpenLauncher(env, state, ReadInstallFolder));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ctx.TargetDir, "");
    EXPECT_EQ(ctx.MenuChoice, 0);
}

TEST_F(LauncherLogicTest, ButtonsRecordTheChoice) {
    ctx.MenuChoice = 9;
    ConstructLauncher(ctx);
    EXPECT_EQ(ctx.MenuChoice, 0);
    EXPECT_EQ(LauncherCommand(env, IDC_INSTALL, Answer(mb::IDNO_)), mb::IDOK_);
    EXPECT_EQ(ctx.MenuChoice, 1);
    EXPECT_EQ(LauncherCommand(env, IDC_RUN, Answer(mb::IDNO_)), mb::IDOK_);
    EXPECT_EQ(ctx.MenuChoice, 3);
    EXPECT_EQ(LauncherCommand(env, IDC_EXIT, Answer(mb::IDNO_)), mb::IDCANCEL_);
    EXPECT_EQ(ctx.MenuChoice, 0);
    ctx.MenuChoice = 1;
    EXPECT_EQ(LauncherCommand(env, mb::IDCANCEL_, Answer(mb::IDNO_)), mb::IDCANCEL_);
    EXPECT_EQ(ctx.MenuChoice, 0);
    EXPECT_EQ(LauncherCommand(env, 1005, Answer(mb::IDNO_)), 0);
    EXPECT_TRUE(asked.empty());
}

TEST_F(LauncherLogicTest, UninstallAsksAndOnlyYesChoosesIt) {
    EXPECT_EQ(LauncherCommand(env, IDC_UNINSTALL, Answer(mb::IDNO_)), 0);
    EXPECT_EQ(ctx.MenuChoice, 0);
    EXPECT_EQ(LauncherCommand(env, IDC_UNINSTALL, Answer(mb::IDYES_)), mb::IDOK_);
    EXPECT_EQ(ctx.MenuChoice, 2);
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
    struct Case {
        const char* name;
        uint32_t type;
        std::u16string text;
        bool terminator;
        int installed;
    };
    const std::vector<Case> cases = {
        {"plain", win::REG_SZ_, u"C:\\G", true, 1},
        {"no terminator", win::REG_SZ_, u"C:\\G", false, 1},
        {"259 characters", win::REG_SZ_, std::u16string(259, u'x'), true, 1},
        {"260 characters", win::REG_SZ_, std::u16string(260, u'x'), true, 0},
        {"wrong type", win::REG_BINARY_, u"C:\\G", true, 0},
    };
    for (const Case& c : cases) {
        os.SetValue(HKEY_CURRENT_USER_, kProductKey, "INSTALL", c.type,
                    Utf16Bytes(c.text, c.terminator));
        ctx.TargetDir = "sentinel";
        EXPECT_EQ(ReadInstallFolder(env), c.installed) << c.name;
        if (!c.installed) {
            EXPECT_EQ(ctx.TargetDir, "") << c.name;
        }
    }
    os.SetValue(HKEY_CURRENT_USER_, kProductKey, "INSTALL", win::REG_DWORD_, {4, 0, 0, 0});
    ReadInstallFolder(env);
    EXPECT_EQ(ctx.TargetDir, "");
    EXPECT_EQ(os.OpenKeyCount(), 0);
}

TEST_F(LauncherLogicTest, AnExpandableFolderComesBackExpanded) {
    os.SetEnv("GAMES", "D:\\Games");
    os.SetExpandString(HKEY_CURRENT_USER_, kProductKey, "INSTALL", "%GAMES%\\Hoshi");
    EXPECT_EQ(ReadInstallFolder(env), 1);
    EXPECT_EQ(ctx.TargetDir, "D:\\Games\\Hoshi");
}

TEST_F(LauncherLogicTest, AMissingFolderIsTraced) {
    KeepTrace();
    EXPECT_EQ(ReadInstallFolder(env), 0);
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
