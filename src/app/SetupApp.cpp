#include "app/SetupApp.h"

#include "core/Text.h"
#include "launch/Launch.h"
#include "system/FileUtil.h"
#include "system/SystemProbe.h"

namespace setup {

namespace {
constexpr char kMutexName[] = "VIVADU";
constexpr char kTraceVariable[] = "SETUP_TRACE";
}  // namespace

SetupApp::SetupApp(SetupContext& ctx, Os& os, Ui& ui) : env_{ctx, os, ui} {}

SetupApp::~SetupApp() {
    FreeScriptLists();
    env_.ctx.TraceStream.reset();
}

int SetupApp::InitInstance() {
    SetupContext& ctx = env_.ctx;
    Os& os = env_.os;
    ctx.Reset();

    // Tracing is off unless SETUP_TRACE names a file to write it to.
    std::string tracePath;
    if (os.GetEnvironmentVariable(kTraceVariable, tracePath) && !tracePath.empty()) {
        ctx.TraceStream = os.CreateTextFile(tracePath);
    }

    mutex_.emplace(os, kMutexName);
    if (os.GetLastError() == win::ERROR_ALREADY_EXISTS_) {
        env_.ui.AppMessageBox("セットアップは既に起動中です。", mb::ICONEXCLAMATION);
        return 0;
    }

    std::string current;
    if (os.GetCurrentDirectory(current)) ctx.SourceDir = TrimTrailingBackslashes(current);

    // The probe's messages are shown in the order its failures happened.
    std::vector<ProbeMessage> messages;
    const int probed = ProbeSystem(os, env_.trace(), ctx, messages);
    for (const ProbeMessage& message : messages)
        env_.ui.AppMessageBox(message.text, message.warning ? mb::ICONEXCLAMATION : mb::OK);
    if (!probed) return 0;

    if (!ReadSetupScript(kSectionSetup)) {
        env_.ui.AppMessageBox(
            "1) Failed to load and analyze Inf file (Setup Section). Install aborted.", mb::OK);
        return 0;
    }

    if (!ctx.BRAND_NAME.empty()) {
        ctx.MENU_NAME = Format("%s\\%s", ctx.BRAND_NAME.c_str(), ctx.MENU_NAME.c_str());
        ctx.REG_ROOT_KEY_NAME =
            Format("%s\\%s", ctx.BRAND_NAME.c_str(), ctx.REG_ROOT_KEY_NAME.c_str());
    }

    RunActionLoop();
    return 0;
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
