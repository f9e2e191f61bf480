// What the engines see of the screen: the message boxes, the launcher and
// the windows shown while an engine works. Interfaces only; the real
// implementation lives in ui/win32, tests use FakeUi, which records every call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace setup {

namespace mb {
constexpr unsigned OK = 0x00;
constexpr unsigned YESNO = 0x04;
constexpr unsigned ICONQUESTION = 0x20;
constexpr unsigned ICONEXCLAMATION = 0x30;
constexpr unsigned ICONINFORMATION = 0x40;
constexpr unsigned DEFBUTTON2 = 0x100;
constexpr unsigned ICONMASK = 0xF0;
constexpr int IDOK_ = 1;
constexpr int IDCANCEL_ = 2;
constexpr int IDYES_ = 6;
constexpr int IDNO_ = 7;
constexpr int kWizardFinish = 12325;  // ID_WIZFINISH: the wizard ended with Finish
}  // namespace mb

struct SetupContext;

// What the launcher was left with: the choice (a MenuChoiceValue; 0 when it
// was closed or could not open) and where the product is installed, as read
// when it opened (empty when it is not).
struct LauncherOutcome {
    int32_t choice = 0;
    std::string installFolder;
};

// Reads where the product is installed into `folder`: 1 when it is.
using InstallFolderReader = std::function<int(std::string& folder)>;

// What the install wizard chooses: the setup type (a SetupType), the folder,
// and the free space where that folder lies.
struct WizardChoice {
    int32_t setupType = 1;  // standard
    std::string installPath;
    int64_t freeBytes = 0;
};

// What the wizard may ask of the system about the folder it offers.
class InstallFolderAccess {
public:
    virtual ~InstallFolderAccess() = default;
    virtual bool IsFolder(const std::string& path) = 0;
    // Makes the folder and the missing ones above it: 1 when it exists now.
    virtual int MakeFolder(const std::string& path) = 0;
    // Free bytes where path lies; 0 when that cannot be measured.
    virtual int64_t FreeBytes(const std::string& path) = 0;
};

// A titled box with a status line, a percentage and a bar. It keeps the
// window that was active when it was created disabled until it is destroyed;
// the user cannot close it. SetPos and StepIt pump the message queue first.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual int Create() = 0;
    virtual void Show() = 0;
    virtual void SetRange(int32_t lower, int32_t upper) = 0;
    virtual void SetStep(int32_t step) = 0;
    virtual int32_t SetPos(int32_t position) = 0;
    virtual int32_t StepIt() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void DestroyWindow() = 0;
};

// The captionless "preparing" box shown while sizes are measured.
class PreparingWindow {
public:
    virtual ~PreparingWindow() = default;
    virtual int Create() = 0;
    // Shows the window and has it painted in full at the next pump.
    virtual void Show() = 0;
    virtual void DestroyWindow() = 0;
};

class Ui {
public:
    virtual ~Ui() = default;

    // The application's own message box: caption = the program file's name
    // without extension; an OK box naming no icon gets the exclamation icon.
    virtual int AppMessageBox(const std::string& text, unsigned style) = 0;
    // A message box owned by the desktop window, with an explicit caption.
    virtual int DesktopMessageBox(const std::string& text, const std::string& caption,
                                  unsigned style) = 0;
    // Runs a new launcher window modally; once its title bitmap has loaded it
    // asks `readInstallFolder` which buttons to offer.
    virtual LauncherOutcome RunLauncher(const SetupContext& ctx,
                                        const InstallFolderReader& readInstallFolder) = 0;
    // Runs the install wizard modally (welcome, setup type, destination,
    // ready), opening on the defaults: standard, ProgramDir\INSTALL_DIR and
    // ctx.FreeBytes. Returns 12325 (ID_WIZFINISH) when the user pressed
    // Finish, `choice` then holding what was chosen; IDCANCEL_ on Cancel.
    virtual int RunInstallWizard(const SetupContext& ctx, InstallFolderAccess& folders,
                                 WizardChoice& choice) = 0;
    // Drains the thread's message queue without waiting.
    virtual void PumpMessages() = 0;
    // A progress window titled by string resource IDS_INSTALLING or
    // IDS_UNINSTALLING, not created
    // yet; and the preparing box.
    virtual std::unique_ptr<ProgressWindow> NewProgressWindow(int titleStringId) = 0;
    virtual std::unique_ptr<PreparingWindow> NewPreparingWindow() = 0;
    // A box a silent run did not show: its text, for a screen that keeps
    // them. Nothing by default.
    virtual void UnshownBox(const std::string&) {}
};

}  // namespace setup
