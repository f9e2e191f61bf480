// The actions the real program dispatches to from its launcher.
#pragma once

#include "app/SetupApp.h"

namespace setup {

class ProgramActions final : public SetupActions {
public:
    explicit ProgramActions(SetupApp& app) : app_(app) {}

    int PrepareInstallation() override;
    int RunUninstallation() override;
    int LaunchInstalledProgram() override;
    ActionOutcome InstallWithoutWizard(int32_t type, const std::string& folder) override;

private:
    SetupApp& app_;
};

}  // namespace setup
