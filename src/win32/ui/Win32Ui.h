// The real Ui: message boxes, the message pump, the launcher and the wizard
// on Win32.
#pragma once

#include <string>
#include <string_view>

#include "seams/Os.h"
#include "seams/Ui.h"
#include "win32/os/Win32Undef.h"

namespace setup {

// The application name of a program file: its name without folder and
// extension ("C:\Game\Setup.exe" gives "Setup").
std::string AppNameFromPath(std::string_view modulePath);

// The style an application box is shown with: an OK box that names no icon
// gets the exclamation icon.
unsigned AppBoxStyle(unsigned style);

// Not final: tests answer the message boxes themselves and keep the rest.
class Win32Ui : public Ui {
public:
    // The windows reach the system through `os`. Dialog templates and icons
    // come from `resources`; null means this program's own module.
    explicit Win32Ui(Os& os, HINSTANCE resources = nullptr);

    int AppMessageBox(const std::string& text, unsigned style) override;
    int DesktopMessageBox(const std::string& text, const std::string& caption,
                          unsigned style) override;
    LauncherOutcome RunLauncher(const SetupContext& ctx,
                                const InstallFolderReader& readInstallFolder) override;
    int RunInstallWizard(const SetupContext& ctx, InstallFolderAccess& folders,
                         WizardChoice& choice) override;
    void PumpMessages() override;
    std::unique_ptr<ProgressWindow> NewProgressWindow(int titleStringId) override;
    std::unique_ptr<PreparingWindow> NewPreparingWindow() override;

    // This program's application name (the caption of AppMessageBox).
    static std::string AppName();

private:
    Os& os_;
    HINSTANCE resources_;
};

}  // namespace setup
