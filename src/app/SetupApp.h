// The application object: start-up, the action loop and the script lists.
#pragma once

#include <optional>
#include <string>

#include "app/CommandUi.h"
#include "core/CommandLine.h"
#include "core/OsOwners.h"
#include "core/ScriptReader.h"
#include "core/SetupEnv.h"

namespace setup {

// The three actions the launcher can choose. Their results are what the
// action loop relies on: non-zero success, 0 failure.
class SetupActions {
public:
    virtual ~SetupActions() = default;
    virtual int PrepareInstallation() = 0;
    virtual int RunUninstallation() = 0;
    virtual int LaunchInstalledProgram() = 0;
    // The install of /S: no launcher and no wizard.
    virtual ActionOutcome InstallWithoutWizard(int32_t type, const std::string& folder) = 0;
};

class SetupApp {
public:
    SetupApp(SetupContext& ctx, Os& os, Ui& ui);
    ~SetupApp();
    SetupApp(const SetupApp&) = delete;
    SetupApp& operator=(const SetupApp&) = delete;

    void SetActions(SetupActions* actions) { actions_ = actions; }
    // The command line the program was started with; none by default.
    void SetCommandLine(const CommandLine& line) { line_ = line; }

    // Runs the whole program. Returns the exit code: 0 without a command
    // line, whatever happened; with one, an ActionOutcome.
    int InitInstance();
    int ExitInstance();
    void FreeScriptLists();
    int ReadSetupScript(int section);

    ScriptLists& Lists() { return lists_; }
    SetupEnv& Env() { return env_; }

private:
    int Start();
    void RunActionLoop();
    ActionOutcome UninstallByCommand();
    ActionOutcome CleanUp();

    CommandLine line_;
    CommandUi ui_;
    SetupEnv env_;
    ScriptLists lists_;
    SetupActions* actions_ = nullptr;
    std::optional<NamedMutex> mutex_;
};

}  // namespace setup
