#include <gtest/gtest.h>

#include "app/SetupApp.h"
#include "support/SetupFixture.h"

namespace setup {
namespace {

constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Scripted actions: each records its call and answers with the next result.
class FakeActions : public SetupActions {
public:
    int PrepareInstallation() override { return Take("install"); }
    int RunUninstallation() override { return Take("uninstall"); }
    int LaunchInstalledProgram() override { return Take("run"); }
    ActionOutcome InstallWithoutWizard(int32_t type, const std::string& folder) override {
        return static_cast<ActionOutcome>(
            Take(("install " + std::to_string(type) + " " + folder).c_str()) == 1 ? 0 : 2);
    }

    std::vector<std::string> calls;
    std::deque<int> results;
    const SetupContext* ctx = nullptr;
    std::vector<std::string> folders;  // TargetDir at each call, with ctx set

private:
    int Take(const char* name) {
        calls.push_back(name);
        if (ctx) folders.push_back(ctx->TargetDir);
        if (results.empty()) return 1;
        const int r = results.front();
        results.pop_front();
        return r;
    }
};

class SetupAppTest : public SetupFixture {
protected:
    void SetUp() override {
        os.SetString(HKEY_LOCAL_MACHINE_, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
        os.SetString(HKEY_LOCAL_MACHINE_, kShellFolders, "Common Programs",
                     "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
        os.SetExpandString(HKEY_CURRENT_USER_, kUserShellFolders, "Programs",
                           "%USERPROFILE%\\Start Menu\\Programs");
        os.SetEnv("USERPROFILE", "C:\\users\\player");
        OpenMedium("C:\\Media\\");
        WriteScript(
            "[Setup]\nGAME_NAME=星の旅路\nBRAND_NAME=ﾃﾞﾓｿﾌﾄ\nMENU_NAME=星の旅路\n"
            "REG_ROOT_KEY_NAME=Hoshi\n");
        app.SetActions(&actions);
    }
    int Run() {
        const int r = app.InitInstance();
        app.ExitInstance();
        return r;
    }

    FakeActions actions;
    SetupApp app{ctx, os, ui};
};

TEST_F(SetupAppTest, StartsUpAndEndsWhenTheLauncherIsClosed) {
    ctx.TargetDir = "stale";
    ctx.MenuChoice = 3;
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(ui.launcherRuns, 1);
    EXPECT_TRUE(actions.calls.empty());
    EXPECT_EQ(ctx.SourceDir, "C:\\Media");
    EXPECT_EQ(ctx.OsPlatform, 2);
    EXPECT_EQ(ctx.ProgramDir, "C:\\Program Files");
    EXPECT_EQ(ctx.UserProgramFolderDir, "C:\\users\\player\\Start Menu\\Programs");
    EXPECT_EQ(ctx.GAME_NAME, "星の旅路");
    EXPECT_EQ(ctx.TargetDir, "");  // reset at start-up
    EXPECT_EQ(ctx.MenuChoice, 0);
    EXPECT_EQ(os.OpenMutexCount(), 0);
}

TEST_F(SetupAppTest, BrandNamePrefixesMenuAndRegistryNames) {
    Run();
    EXPECT_EQ(ctx.MENU_NAME, "ﾃﾞﾓｿﾌﾄ\\星の旅路");
    EXPECT_EQ(ctx.REG_ROOT_KEY_NAME, "ﾃﾞﾓｿﾌﾄ\\Hoshi");
}

TEST_F(SetupAppTest, EmptyNamesUnderABrandBecomeTheBrandAndABackslash) {
    WriteScript("[Setup]\nBRAND_NAME=B\n");
    Run();
    EXPECT_EQ(ctx.MENU_NAME, "B\\");
    EXPECT_EQ(ctx.REG_ROOT_KEY_NAME, "B\\");
}

TEST_F(SetupAppTest, WithoutABrandTheNamesStayAsWritten) {
    WriteScript("[Setup]\nMENU_NAME=M\nREG_ROOT_KEY_NAME=R\n");
    Run();
    EXPECT_EQ(ctx.MENU_NAME, "M");
    EXPECT_EQ(ctx.REG_ROOT_KEY_NAME, "R");
}

TEST_F(SetupAppTest, ADriveRootStartDirectoryBecomesTheDriveAndColon) {
    os.AddFile("C:\\Setup.inf", ToCp932("[Setup]\n"));
    os.SetCurrentDirectory("C:\\");
    Run();
    EXPECT_EQ(ctx.SourceDir, "C:");
}

TEST_F(SetupAppTest, ASecondCopyIsRefusedBeforeAnythingElse) {
    os.HoldMutexElsewhere("VIVADU");
    os.FailPath("ReadFile", "C:\\Media\\Setup.inf", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{AppBox("セットアップは既に起動中です。", 48)}));
    EXPECT_EQ(ui.launcherRuns, 0);
    EXPECT_EQ(ctx.SourceDir, "");  // stopped before the start directory was read
    EXPECT_EQ(os.OpenKeyCount(), 0);
}

TEST_F(SetupAppTest, AFailedMutexCreationDoesNotStopStartUp) {
    os.FailNext("CreateMutex", win::ERROR_ACCESS_DENIED_);
    Run();
    EXPECT_EQ(ui.launcherRuns, 1);
}

TEST_F(SetupAppTest, ExitReleasesTheSingleInstanceGuard) {
    Run();
    FakeUi ui2;
    SetupContext ctx2;
    SetupApp second(ctx2, os, ui2);
    second.InitInstance();
    second.ExitInstance();
    EXPECT_TRUE(ui2.boxes.empty());
    EXPECT_EQ(ui2.launcherRuns, 1);
}

TEST_F(SetupAppTest, ARefusedPlatformEndsTheProgram) {
    os.SetVersion(OsVersion{3, 51, 1057, win::VER_PLATFORM_WIN32_NT_});
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "WindowsNT3.51にはｲﾝｽﾄｰﾙできません。\nｾｯﾄｱｯﾌﾟを終了します。");
    EXPECT_EQ(ui.launcherRuns, 0);
}

TEST_F(SetupAppTest, AnUnreadableScriptShowsBothBoxesAndEnds) {
    os.DeleteFile("C:\\Media\\Setup.inf");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{
                  AppBox("Failed to open inf file.", 0),
                  AppBox("1) Failed to load and analyze Inf file (Setup Section). Install aborted.",
                         0)}));
    EXPECT_EQ(ui.launcherRuns, 0);
}

struct LoopCase {
    const char* name;
    std::vector<int> choices;        // launcher choices, pass by pass
    std::vector<int> results;        // action results, call by call
    std::vector<std::string> calls;  // actions called
    int launcherRuns;
    std::vector<ShownBox> boxes;
};

class ActionLoopTest : public SetupAppTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(ActionLoopTest, DispatchesEachChoice) {
    const LoopCase& c = GetParam();
    ui.launcherChoices.assign(c.choices.begin(), c.choices.end());
    actions.results.assign(c.results.begin(), c.results.end());
    Run();
    EXPECT_EQ(actions.calls, c.calls);
    EXPECT_EQ(ui.launcherRuns, c.launcherRuns);
    EXPECT_EQ(ui.boxes, c.boxes);
}

const ShownBox kUninstallFailed = AppBox("ｱﾝｲﾝｽﾄｰﾙに失敗しました。", 48);

INSTANTIATE_TEST_SUITE_P(
    Choices, ActionLoopTest,
    ::testing::Values(
        LoopCase{"Exit", {0}, {}, {}, 1, {}},
        LoopCase{"InstallDoneShowsTheLauncherAgain", {1, 0}, {1}, {"install"}, 2, {}},
        LoopCase{"InstallFailureEndsSilently", {1, 0}, {0}, {"install"}, 1, {}},
        LoopCase{"UninstallDoneShowsTheLauncherAgain", {2, 0}, {1}, {"uninstall"}, 2, {}},
        LoopCase{
            "UninstallFailureEndsWithAMessage", {2, 0}, {0}, {"uninstall"}, 1, {kUninstallFailed}},
        LoopCase{"LaunchEndsTheProgram", {3, 0}, {1}, {"run"}, 1, {}},
        LoopCase{"FailedLaunchShowsTheLauncherAgain", {3, 3, 0}, {0, 1}, {"run", "run"}, 2, {}},
        LoopCase{"UnknownChoiceIsAnotherPass", {7, 1, 0}, {1}, {"install"}, 3, {}}),
    [](const ::testing::TestParamInfo<LoopCase>& info) { return std::string(info.param.name); });

TEST_F(SetupAppTest, TracesEveryChoiceWhenSetupTraceNamesAFile) {
    os.SetEnv("SETUP_TRACE", "C:\\trace.txt");
    ui.launcherChoices = {1, 0};
    Run();
    const std::string trace = os.FileContent("C:\\trace.txt");
    EXPECT_NE(trace.find("OS TYPE : WIN NT\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("GAME_NAME: 星の旅路\n"), std::string::npos) << trace;
    // Each pass of the launcher reads the install folder before its choice.
    const std::string pass = "**Failed to get reg - <INSTALL>\nMENU SELECT : ";
    EXPECT_NE(trace.find(pass + "1\n" + "Trying"), std::string::npos) << trace;
    EXPECT_NE(trace.find(pass + "0\n"), std::string::npos) << trace;
    EXPECT_FALSE(ctx.Tracing());  // closed by ExitInstance
}

// The folder the launcher found is the one the chosen action works on.
TEST_F(SetupAppTest, TheActionsWorkOnTheFolderTheLauncherFound) {
    os.SetString(HKEY_CURRENT_USER_, "SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\Hoshi", "INSTALL", "D:\\Hoshi");
    ui.launcherChoices = {2, 3, 0};
    actions.ctx = &ctx;
    Run();
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"uninstall", "run"}));
    EXPECT_EQ(actions.folders, (std::vector<std::string>{"D:\\Hoshi", "D:\\Hoshi"}));
}

TEST_F(SetupAppTest, WithoutSetupTraceNothingIsTraced) {
    Run();
    EXPECT_FALSE(os.Exists("C:\\trace.txt"));
    EXPECT_FALSE(ctx.Tracing());
}

TEST_F(SetupAppTest, FreeScriptListsEmptiesAllThreeLists) {
    WriteScript("[Files]\nCOPY:a:1:1:1\n[Registory]\nX:k:1:1:1:0:\n[Uninstall]\nDELETE FILE:a\n");
    ASSERT_EQ(app.ReadSetupScript(kSectionAll), 1);
    EXPECT_EQ(app.Lists().Files.size(), 1u);
    app.FreeScriptLists();
    EXPECT_TRUE(app.Lists().Files.empty());
    EXPECT_TRUE(app.Lists().Registry.empty());
    EXPECT_TRUE(app.Lists().Uninstall.empty());
}

// Each way a command line can go, with its exit code; with no arguments the
// program ends with 0 whatever happened.
TEST_F(SetupAppTest, ACommandLineEndsWithWhatItCameTo) {
    const ShownBox question =
        DesktopBox("星の旅路のｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", "確認", 292);
    const struct {
        const char* arguments;
        int exitCode;
        std::vector<int> answers, results;  // of the boxes; of the actions
        std::vector<std::string> calls;
        size_t boxes;
    } rows[] = {
        {"/?", 0, {}, {}, {}, 1},
        {"/X", 1, {}, {}, {}, 1},
        {"/TYPE=full", 1, {}, {}, {}, 1},  // belongs to /S
        {"/S /TYPE=full /D=C:\\G 1", 0, {}, {}, {"install 2 C:\\G 1"}, 0},
        {"/S", 2, {}, {0}, {"install -1 "}, 0},
        {"/UNINSTALL", 1, {mb::IDNO_}, {}, {}, 1},
        {"/UNINSTALL", 0, {mb::IDYES_}, {}, {"uninstall"}, 1},
        {"/UNINSTALL /S", 2, {}, {0}, {"uninstall"}, 0},
        {"", 0, {}, {}, {}, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.arguments);
        FakeUi screen;
        screen.answers.assign(r.answers.begin(), r.answers.end());
        FakeActions acts;
        acts.results.assign(r.results.begin(), r.results.end());
        SetupContext context;
        SetupApp run(context, os, screen);
        run.SetActions(&acts);
        run.SetCommandLine(ParseCommandLine(r.arguments));
        EXPECT_EQ(run.InitInstance(), r.exitCode);
        run.ExitInstance();
        EXPECT_EQ(acts.calls, r.calls);
        ASSERT_EQ(screen.boxes.size(), r.boxes);
        if (std::string(r.arguments) == "/UNINSTALL") {
            EXPECT_EQ(screen.boxes[0], question);
        }
    }
}

// A silent run shows nothing: what it would have shown is in the log, and a
// second copy, a missing script, each end with their code.
TEST_F(SetupAppTest, ASilentRunWritesItsBoxesToTheLog) {
    const auto run = [this](const char* arguments) {
        SetupContext context;
        SetupApp app2(context, os, ui);
        app2.SetActions(&actions);
        app2.SetCommandLine(ParseCommandLine(arguments));
        const int code = app2.InitInstance();
        app2.ExitInstance();
        return code;
    };
    actions.results = {0};
    EXPECT_EQ(run("/UNINSTALL /S /LOG=C:\\u.log"), 2);
    EXPECT_NE(os.FileContent("C:\\u.log").find("BOX ｱﾝｲﾝｽﾄｰﾙに失敗しました。\n"),
              std::string::npos);
    // The copy that removes an uninstaller leaves the uninstaller's trace alone.
    os.SetEnv("SETUP_TRACE", "C:\\u.log");
    EXPECT_EQ(run("/CLEANUP=\"C:\\none\""), 2);
    EXPECT_NE(os.FileContent("C:\\u.log").find("BOX ｱﾝｲﾝｽﾄｰﾙに失敗しました。"), std::string::npos);
    os.DeleteFile("C:\\Media\\Setup.inf");
    EXPECT_EQ(run("/S"), 2);
    os.HoldMutexElsewhere("VIVADU");
    EXPECT_EQ(run("/S /LOG=C:\\second.log"), 1);
    EXPECT_NE(os.FileContent("C:\\second.log").find("BOX セットアップは既に起動中です。"),
              std::string::npos);
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace setup
