// Entry point of Setup.exe: the real Os and Ui, the application object and
// the actions it dispatches to.
#include "core/SetupApp.h"
#include "core/SetupContext.h"
#include "platform/win32/Win32Os.h"
#include "platform/win32/Win32Undef.h"
#include "ui/win32/Win32Ui.h"

namespace {

// Stands in for the install, uninstall and run actions until they exist.
class PendingActions final : public setup::SetupActions {
public:
    explicit PendingActions(setup::Ui& ui) : ui_(ui) {}
    int PrepareInstallation() override { return NotYet(1); }
    int RunUninstallation() override { return NotYet(1); }
    int LaunchInstalledProgram() override { return NotYet(0); }

private:
    int NotYet(int result) {
        ui_.AppMessageBox("この操作はまだ使用できません。", setup::mb::ICONINFORMATION);
        return result;
    }

    setup::Ui& ui_;
};

setup::SetupContext g_context;
setup::Win32Os g_os;
setup::Win32Ui g_ui;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    PendingActions actions(g_ui);
    setup::SetupApp app(g_context, g_os, g_ui);
    app.SetActions(&actions);
    app.InitInstance();
    app.ExitInstance();
    return 0;
}
