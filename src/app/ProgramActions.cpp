#include "app/ProgramActions.h"

#include "install/Preparation.h"
#include "launch/Launch.h"

namespace setup {

namespace {

// Said by an action that this build does not carry yet; the launcher comes
// back afterwards.
int NotAvailableYet(SetupEnv& env) {
    env.ui.AppMessageBox("この操作はまだ使用できません。", mb::ICONINFORMATION);
    return 1;
}

}  // namespace

int ProgramActions::PrepareInstallation() {
    return setup::PrepareInstallation(app_.Env(), app_.Lists());
}

int ProgramActions::RunUninstallation() {
    return NotAvailableYet(app_.Env());
}

int ProgramActions::LaunchInstalledProgram() {
    return setup::LaunchInstalledProgram(app_.Env());
}

}  // namespace setup
