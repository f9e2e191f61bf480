// What the install wizard's pages decide, apart from drawing: their texts,
// the wizard buttons each page asks for, the setup type the radio buttons
// stand for, and what Next and a browse on the destination page do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/SetupContext.h"
#include "resource.h"
#include "seams/Ui.h"

namespace setup {

// The wizard's result after Finish.
using mb::kWizardFinish;

// The wizard buttons a page enables (PSWIZB_BACK, _NEXT, _FINISH).
enum WizardButtons : int {
    kWizardBack = 1,
    kWizardNext = 2,
    kWizardFinishButton = 4,
};

// A string resource of the program, by id (IDS_...).
using StringLoader = std::function<std::string(int id)>;

// A page's own message box: text, caption, style; returns the button pressed.
using PageAsk = std::function<int(const std::string&, const std::string&, unsigned)>;

// `text` with every "???" replaced by `with`, left to right, the
// replacement not scanned again.
std::string ReplacePlaceholder(const std::string& text, const std::string& with);

// The sheet opening: the choice back to the standard type, the folder
// ProgramDir\INSTALL_DIR and the free space the preparation measured.
// Returns the title (BRAND_NAME); `directory` receives the destination
// page's folder text.
std::string OpenInstallSheet(const SetupContext& ctx, WizardChoice& choice, std::string& directory);

// The welcome page: its text (IDS_WELCOME with GAME_NAME) and buttons.
struct WelcomePage {
    std::string welcome;
    int buttons = kWizardNext;
};
WelcomePage ShowWelcomePage(const SetupContext& ctx, const StringLoader& strings);

// The setup-type page: the radio button checked (one of IDC_TYPE_*), the
// space each type needs (IDS_TYPE_SPACE) and the buttons.
struct TypePage {
    int checked = IDC_TYPE_STANDARD;
    std::string standardSize;
    std::string minimumSize;
    std::string fullSize;
    int buttons = kWizardBack | kWizardNext;
};
TypePage ShowTypePage(const SetupContext& ctx, const WizardChoice& choice,
                      const StringLoader& strings);

// A click on one of the radio buttons: the chosen type follows it. false for
// any other control.
bool ChooseSetupType(WizardChoice& choice, int control);

// The destination page's figures: heading, free, required and missing
// space, and the buttons (Next only while the free space exceeds the
// requirement).
struct SpaceTexts {
    std::string heading;
    std::string freeSpace;
    std::string required;
    std::string shortfall;  // empty when nothing is missing
    int buttons = kWizardBack;
};
SpaceTexts UpdateSpaceTexts(const SetupContext& ctx, const WizardChoice& choice,
                            const StringLoader& strings);

// Next on the destination page: 0 to go on to the ready page, -1 to stay.
// A missing folder is created after the question, when the user agrees.
int DestinationWizardNext(InstallFolderAccess& folders, const WizardChoice& choice,
                          const PageAsk& ask);

// A folder the browser returned: `directory` takes it as it is, the chosen
// folder ends in exactly one backslash, and the free space is measured again
// there. The caller then shows UpdateSpaceTexts afresh.
void ApplyBrowsedFolder(InstallFolderAccess& folders, const std::string& folder,
                        WizardChoice& choice, std::string& directory);

// The ready page's buttons.
constexpr int kReadyPageButtons = kWizardBack | kWizardFinishButton;

}  // namespace setup
