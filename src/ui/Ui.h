// What the engines see of the screen. The real implementation lives in
// ui/win32; tests use FakeUi, which records every call.
#pragma once

#include <memory>
#include <string>

#include "ui/Progress.h"

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
}  // namespace mb

struct SetupContext;

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
    // Drains the thread's message queue without waiting.
    virtual void PumpMessages() = 0;
    // A progress window titled by string resource 116 or 117, not created
    // yet; and the preparing box.
    virtual std::unique_ptr<ProgressWindow> NewProgressWindow(int titleStringId) = 0;
    virtual std::unique_ptr<PreparingWindow> NewPreparingWindow() = 0;
};

}  // namespace setup
