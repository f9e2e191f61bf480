// The install action: the script's [Files] and [Registory] sections read
// afresh, every setup type measured under the preparing window, the free
// space of the Program Files drive, the wizard, and the installation run
// when the wizard ends with Finish.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ScriptReader.h"
#include "core/SetupEnv.h"
#include "seams/Ui.h"

namespace setup {

// The wizard's access to the folder it offers. The folders it makes are kept,
// outermost first: the installation records them as the product's own.
class WizardFolders final : public InstallFolderAccess {
public:
    explicit WizardFolders(Os& os) : os_(os) {}
    bool IsFolder(const std::string& path) override;
    int MakeFolder(const std::string& path) override;
    int64_t FreeBytes(const std::string& path) override;  // 0 when it cannot be measured

    const std::vector<std::string>& Made() const { return made_; }

private:
    Os& os_;
    std::vector<std::string> made_;
};

// 1 when the wizard has been run (whatever it and the installation ended
// with); 0 when a section cannot be read or a source is missing (its message
// has been shown).
int PrepareInstallation(SetupEnv& env, ScriptLists& lists);

// The same preparation and installation without the wizard: setup type
// `type` (standard when negative) into `folder` (the wizard's default when
// empty), made when missing, if its drive has more free space than the type
// needs. What the screen would have asked is taken as given.
ActionOutcome InstallWithoutWizard(SetupEnv& env, ScriptLists& lists, int32_t type,
                                   const std::string& folder);

// Bytes every [Files] entry of setup type `type` reaches below the current
// folder, each file counted into FileCounts[type]; -1 when a source is
// missing.
int64_t MeasureSetupType(SetupEnv& env, const ScriptLists& lists, int32_t type);

}  // namespace setup
