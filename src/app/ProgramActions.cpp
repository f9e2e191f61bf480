#include "app/ProgramActions.h"

#include "install/Preparation.h"
#include "launch/Launch.h"
#include "uninstall/Uninstallation.h"

namespace setup {

int ProgramActions::PrepareInstallation() {
    return setup::PrepareInstallation(app_.Env(), app_.Lists());
}

int ProgramActions::RunUninstallation() {
    return setup::RunUninstallation(app_.Env(), app_.Lists());
}

ActionOutcome ProgramActions::InstallWithoutWizard(int32_t type, const std::string& folder) {
    return setup::InstallWithoutWizard(app_.Env(), app_.Lists(), type, folder);
}

int ProgramActions::LaunchInstalledProgram() {
    return setup::LaunchInstalledProgram(app_.Env());
}

}  // namespace setup
