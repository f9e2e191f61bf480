#include "app/SetupApp.h"

#include "core/Text.h"
#include "launch/Launch.h"
#include "system/FileUtil.h"
#include "system/InstallRecord.h"
#include "system/SystemProbe.h"

namespace setup {

namespace {
constexpr char kMutexName[] = "VIVADU";
constexpr char kTraceVariable[] = "SETUP_TRACE";
constexpr char kUnknownOption[] = "指定されたｵﾌﾟｼｮﾝは使用できません。";
constexpr char kUsage[] =
    "Setup.exe [/S [/TYPE=minimum|standard|full] [/D=ﾌｫﾙﾀﾞ]] [/LOG=ﾌｧｲﾙ]\n"
    "Setup.exe /UNINSTALL [/S] [/LOG=ﾌｧｲﾙ]\n\n"
    "/S\t画面を表示せずにｲﾝｽﾄｰﾙ(ｱﾝｲﾝｽﾄｰﾙ)します。\n"
    "/TYPE=\tｾｯﾄｱｯﾌﾟの種類 (既定: standard)\n"
    "/D=\tｲﾝｽﾄｰﾙ先のﾌｫﾙﾀﾞ (最後に指定します)\n"
    "/UNINSTALL\tｱﾝｲﾝｽﾄｰﾙします。\n"
    "/LOG=\t経過をﾌｧｲﾙに記録します。\n"
    "/?\tこの説明を表示します。\n\n"
    "終了ｺｰﾄﾞ: 0 完了、1 中止または拒否、2 失敗";
}  // namespace

SetupApp::SetupApp(SetupContext& ctx, Os& os, Ui& ui) : ui_(ui, ctx), env_{ctx, os, ui_} {}

SetupApp::~SetupApp() {
    FreeScriptLists();
    env_.ctx.TraceStream.reset();
}

int SetupApp::InitInstance() {
    const int outcome = Start();
    return line_.Empty() ? 0 : outcome;
}

int SetupApp::Start() {
    SetupContext& ctx = env_.ctx;
    Os& os = env_.os;
    ctx.Reset();
    ui_.silent = line_.silent;
    ui_.logBoxes = line_.silent || !line_.logPath.empty();

    // The copy that removes an uninstaller runs beside it, before it has
    // ended, and leaves that one's trace file alone.
    if (!line_.cleanupFolder.empty()) return CleanUp();

    // Tracing goes to the file /LOG names, else to the one SETUP_TRACE names;
    // it is off unless one of them does.
    std::string tracePath = line_.logPath;
    if (tracePath.empty()) os.GetEnvironmentVariable(kTraceVariable, tracePath);
    if (!tracePath.empty()) ctx.TraceStream = os.CreateTextFile(tracePath);

    mutex_.emplace(os, kMutexName);
    if (os.GetLastError() == win::ERROR_ALREADY_EXISTS_) {
        env_.ui.AppMessageBox("セットアップは既に起動中です。", mb::ICONEXCLAMATION);
        return kActionRefused;
    }
    if (line_.help) {
        env_.ui.AppMessageBox(kUsage, mb::ICONINFORMATION);
        return kActionDone;
    }
    // /TYPE and /D= belong to a silent install.
    const bool misplaced = !line_.silent && (line_.setupType >= 0 || !line_.folder.empty());
    if (!line_.unknown.empty() || misplaced) {
        env_.ui.AppMessageBox(Format("%s\n\n%s", kUnknownOption, kUsage), mb::ICONEXCLAMATION);
        return kActionRefused;
    }

    // A command works on the medium the program is in, wherever it was
    // started from (the list of installed programs starts it anywhere).
    std::string program;
    if (!line_.Empty() && os.GetModuleFileName(program)) {
        os.SetCurrentDirectory(program.substr(0, program.find_last_of('\\') + 1));
    }
    std::string current;
    if (os.GetCurrentDirectory(current)) ctx.SourceDir = TrimTrailingBackslashes(current);

    // The probe's messages are shown in the order its failures happened.
    std::vector<ProbeMessage> messages;
    const int probed = ProbeSystem(os, env_.trace(), ctx, messages);
    for (const ProbeMessage& message : messages)
        env_.ui.AppMessageBox(message.text, message.warning ? mb::ICONEXCLAMATION : mb::OK);
    if (!probed) return kActionFailed;

    if (!ReadSetupScript(kSectionSetup)) {
        env_.ui.AppMessageBox(
            "1) Failed to load and analyze Inf file (Setup Section). Install aborted.", mb::OK);
        return kActionFailed;
    }

    if (!ctx.BRAND_NAME.empty()) {
        ctx.MENU_NAME = Format("%s\\%s", ctx.BRAND_NAME.c_str(), ctx.MENU_NAME.c_str());
        ctx.REG_ROOT_KEY_NAME =
            Format("%s\\%s", ctx.BRAND_NAME.c_str(), ctx.REG_ROOT_KEY_NAME.c_str());
    }

    if (line_.uninstall) return UninstallByCommand();
    if (line_.silent) {
        return actions_ ? actions_->InstallWithoutWizard(line_.setupType, line_.folder)
                        : kActionFailed;
    }
    RunActionLoop();
    return kActionDone;
}

ActionOutcome SetupApp::UninstallByCommand() {
    SetupContext& ctx = env_.ctx;
    ReadInstallFolder(env_, ctx.TargetDir);
    ctx.MenuChoice = kMenuUninstall;
    if (!line_.silent) {
        // The launcher's own question.
        const std::string text =
            Format("%sのｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", ctx.GAME_NAME.c_str());
        if (env_.ui.DesktopMessageBox(
                text, "確認", mb::YESNO | mb::ICONQUESTION | mb::DEFBUTTON2) != mb::IDYES_) {
            return kActionRefused;
        }
    }
    if (!actions_ || !actions_->RunUninstallation()) {
        env_.ui.AppMessageBox("ｱﾝｲﾝｽﾄｰﾙに失敗しました。", mb::ICONEXCLAMATION);
        return kActionFailed;
    }
    return kActionDone;
}

ActionOutcome SetupApp::CleanUp() {
    // The uninstaller that started this copy is ending: its file can go once
    // it has. A folder that is no uninstaller's is never touched.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (RemoveUninstallerFolder(env_.os, line_.cleanupFolder)) return kActionDone;
        env_.os.Sleep(200);
    }
    return kActionFailed;
}

void SetupApp::RunActionLoop() {
    SetupContext& ctx = env_.ctx;
    const InstallFolderReader readInstallFolder = [this](std::string& folder) {
        return ReadInstallFolder(env_, folder);
    };
    for (;;) {
        const LauncherOutcome outcome = env_.ui.RunLauncher(ctx, readInstallFolder);
        ctx.MenuChoice = outcome.choice;
        ctx.TargetDir = outcome.installFolder;
        ctx.Trace("MENU SELECT : %d\n", ctx.MenuChoice);

        switch (ctx.MenuChoice) {
        case kMenuExit:
            return;
        case kMenuInstall:
            if (!actions_ || !actions_->PrepareInstallation()) return;
            break;
        case kMenuUninstall:
            if (!actions_ || !actions_->RunUninstallation()) {
                env_.ui.AppMessageBox("ｱﾝｲﾝｽﾄｰﾙに失敗しました。", mb::ICONEXCLAMATION);
                return;
            }
            break;
        case kMenuRun:
            // A program that started ends this one; one that did not brings
            // the launcher back.
            if (actions_ && actions_->LaunchInstalledProgram()) {
                ctx.MenuChoice = kMenuExit;
                return;
            }
            break;
        default:
            break;
        }
    }
}

int SetupApp::ExitInstance() {
    mutex_.reset();
    env_.ctx.TraceStream.reset();
    return 0;
}

void SetupApp::FreeScriptLists() {
    lists_.Files.clear();
    lists_.Registry.clear();
    lists_.Uninstall.clear();
}

int SetupApp::ReadSetupScript(int section) {
    return setup::ReadSetupScript(env_, lists_, section);
}

}  // namespace setup
