// What the install wizard's pages decide, apart from drawing: their texts,
// the wizard buttons each page asks for, the setup type the radio buttons
// stand for, and what Next and a browse on the destination page do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/SetupEnv.h"
#include "resource.h"

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

// The sheet opening: SetupTypeIndex back to standard and InstallPath to
// ProgramDir\INSTALL_DIR. Returns the title (BRAND_NAME); `directory`
// receives the destination page's folder text.
std::string OpenInstallSheet(SetupContext& ctx, std::string& directory);

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
TypePage ShowTypePage(const SetupContext& ctx, const StringLoader& strings);

// A click on one of the radio buttons: SetupTypeIndex follows it. false for
// any other control.
bool ChooseSetupType(SetupContext& ctx, int control);

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
SpaceTexts UpdateSpaceTexts(const SetupContext& ctx, const StringLoader& strings);

// Next on the destination page: 0 to go on to the ready page, -1 to stay.
// A missing folder is created after the question, when the user agrees.
int DestinationWizardNext(SetupEnv& env, const PageAsk& ask);

// A folder the browser returned: `directory` takes it as it is, InstallPath
// ends in exactly one backslash, and FreeBytes is measured again there (0 when
// that fails). The caller then shows UpdateSpaceTexts afresh.
void ApplyBrowsedFolder(SetupEnv& env, const std::string& folder, std::string& directory);

// The ready page's buttons.
constexpr int kReadyPageButtons = kWizardBack | kWizardFinishButton;

}  // namespace setup
