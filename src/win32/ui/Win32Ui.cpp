#include "win32/ui/Win32Ui.h"

#include "core/SetupContext.h"
#include "resource.h"
#include "win32/os/Win32Support.h"
#include "win32/os/Win32Text.h"
#include "win32/ui/InstallWizard.h"
#include "win32/ui/LauncherWindow.h"
#include "win32/ui/ProgressWindows.h"
#include "win32/ui/PumpPace.h"

namespace setup {

std::string AppNameFromPath(std::string_view modulePath) {
    const size_t slash = modulePath.find_last_of("\\/");
    std::string_view name =
        slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
    // The extension starts at the last dot; a space after it means the dot
    // is part of the name, as the shell's extension finder has it.
    const size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && name.find(' ', dot) == std::string_view::npos) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}

unsigned AppBoxStyle(unsigned style) {
    constexpr unsigned kTypeMask = 0x0F;
    if ((style & mb::ICONMASK) == 0 && (style & kTypeMask) == mb::OK) {
        style |= mb::ICONEXCLAMATION;
    }
    return style;
}

Win32Ui::Win32Ui(Os& os, HINSTANCE resources)
    : os_(os), resources_(resources != nullptr ? resources : ::GetModuleHandleW(nullptr)) {}

std::string Win32Ui::AppName() {
    std::string path;
    win32::FetchUtf8(
        [](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); },
        path, win32::TextCount::LengthOrCut);
    return AppNameFromPath(path);
}

int Win32Ui::AppMessageBox(const std::string& text, unsigned style) {
    const std::wstring wideText = Widen(text);
    const std::wstring caption = Widen(AppName());
    return ::MessageBoxW(::GetActiveWindow(), wideText.c_str(), caption.c_str(),
                         AppBoxStyle(style));
}

int Win32Ui::DesktopMessageBox(const std::string& text, const std::string& caption,
                               unsigned style) {
    const std::wstring wideText = Widen(text);
    const std::wstring wideCaption = Widen(caption);
    return ::MessageBoxW(::GetDesktopWindow(), wideText.c_str(), wideCaption.c_str(), style);
}

LauncherOutcome Win32Ui::RunLauncher(const SetupContext& ctx,
                                     const InstallFolderReader& readInstallFolder) {
    LauncherWindow launcher(ctx, os_, *this, readInstallFolder, resources_);
    const INT_PTR result = launcher.DoModal(resources_, IDD_LAUNCHER, nullptr);
    LauncherOutcome outcome = launcher.Outcome();
    // A launcher that could not open is the same as one closed at once.
    if (result != mb::IDOK_) outcome.choice = kMenuExit;
    return outcome;
}

int Win32Ui::RunInstallWizard(const SetupContext& ctx, InstallFolderAccess& folders,
                              WizardChoice& choice) {
    // The launcher has closed by now: the wizard has no owner.
    CInstallSheet sheet(ctx, folders, choice, resources_);
    return sheet.DoModal(nullptr);
}

void Win32Ui::PumpMessages() {
    if (!PumpDue()) return;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Keyboard navigation for whichever modeless dialog has the message.
        if (Dialog::PumpModelessMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::unique_ptr<ProgressWindow> Win32Ui::NewProgressWindow(int titleStringId) {
    return std::make_unique<Win32ProgressWindow>(*this, resources_, titleStringId);
}

std::unique_ptr<PreparingWindow> Win32Ui::NewPreparingWindow() {
    return std::make_unique<Win32PreparingWindow>(resources_);
}

}  // namespace setup
