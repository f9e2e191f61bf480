// Entry point of Setup.exe: the real Os and Ui, the application object and
// the actions it dispatches to.
#include "app/ProgramActions.h"
#include "app/SetupApp.h"
#include "core/CommandLine.h"
#include "core/SetupContext.h"
#include "win32/os/Win32Os.h"
#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"
#include "win32/ui/Win32Ui.h"

namespace {

setup::SetupContext g_context;
setup::Win32Os g_os;
setup::Win32Ui g_ui{g_os};

}  // namespace

// The exit code: 0 without arguments; with them, what the command came to
// (0 done, 1 cancelled or refused, 2 failed).
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    setup::SetupApp app(g_context, g_os, g_ui);
    setup::ProgramActions actions(app);
    app.SetActions(&actions);
    app.SetCommandLine(setup::ParseCommandLine(setup::Narrow(arguments ? arguments : L"")));
    const int exitCode = app.InitInstance();
    app.ExitInstance();
    return exitCode;
}
