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
namespace {

// Before anything loads a DLL: the system folder only, never this program's
// own folder nor the current one, where a download may have left a DLL named
// like one of the system's. The import of every DLL that is no known DLL of
// the system is delay-loaded, so none is loaded before this. Looked up by
// name: Windows 7 has the call only with its update KB2533623.
void LoadDllsFromTheSystemOnly() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDirectories != nullptr) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
    // Wine resolves its own DLLs' delay imports by the old search order (its
    // shell32 reaches ole32 so, its comctl32 msimg32): the DLLs the program
    // uses are loaded from the system folder now, and found loaded then.
    // comctl32 is left to its first call, where the manifest picks its version.
    for (const wchar_t* name : {L"user32.dll", L"gdi32.dll", L"advapi32.dll", L"ole32.dll",
                                L"shell32.dll", L"msimg32.dll"}) {
        ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    LoadDllsFromTheSystemOnly();

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
