// Entry point of Setup.exe: the real Os and Ui, the application object and
// the actions it dispatches to.
#include "app/ProgramActions.h"
#include "app/SetupApp.h"
#include "core/SetupContext.h"
#include "win32/os/Win32Os.h"
#include "win32/os/Win32Undef.h"
#include "win32/ui/Win32Ui.h"

namespace {

setup::SetupContext g_context;
setup::Win32Os g_os;
setup::Win32Ui g_ui{g_os};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    setup::SetupApp app(g_context, g_os, g_ui);
    setup::ProgramActions actions(app);
    app.SetActions(&actions);
    app.InitInstance();
    app.ExitInstance();
    return 0;
}
