// What the engines see of the screen: the message boxes, the launcher and
// the windows shown while an engine works. Interfaces only; the real
// implementation lives in ui/win32, tests use FakeUi, which records every call.
#pragma once

#include <cstdint>
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
struct SetupEnv;

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
    // Runs a new launcher window modally. It sets ctx.MenuChoice (0 on
    // construction) and returns IDOK or IDCANCEL.
    virtual int RunLauncher(SetupContext& ctx) = 0;
    // Runs the install wizard modally (welcome, setup type, destination,
    // ready). It sets SetupTypeIndex and InstallPath, and returns 12325
    // (ID_WIZFINISH) when the user pressed Finish, IDCANCEL_ on Cancel.
    virtual int RunInstallWizard(SetupEnv& env) = 0;
    // Drains the thread's message queue without waiting.
    virtual void PumpMessages() = 0;
    // A progress window titled by string resource IDS_INSTALLING or
    // IDS_UNINSTALLING, not created
    // yet; and the preparing box.
    virtual std::unique_ptr<ProgressWindow> NewProgressWindow(int titleStringId) = 0;
    virtual std::unique_ptr<PreparingWindow> NewPreparingWindow() = 0;
};

}  // namespace setup
