// The application object: start-up, the action loop and the script lists.
#pragma once

#include <optional>

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
};

class SetupApp {
public:
    SetupApp(SetupContext& ctx, Os& os, Ui& ui);
    ~SetupApp();
    SetupApp(const SetupApp&) = delete;
    SetupApp& operator=(const SetupApp&) = delete;

    void SetActions(SetupActions* actions) { actions_ = actions; }

    // Runs the whole program; returns 0 on every path.
    int InitInstance();
    int ExitInstance();
    void FreeScriptLists();
    int ReadSetupScript(int section);

    ScriptLists& Lists() { return lists_; }
    SetupEnv& Env() { return env_; }

private:
    void RunActionLoop();

    SetupEnv env_;
    ScriptLists lists_;
    SetupActions* actions_ = nullptr;
    std::optional<NamedMutex> mutex_;
};

}  // namespace setup
