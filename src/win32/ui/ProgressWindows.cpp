#include "win32/ui/ProgressWindows.h"

#include "resource.h"
#include "win32/os/Win32Text.h"

namespace setup {

namespace {

// The bar's class lives in comctl32; register it whoever creates the window.
void RegisterProgressClass() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&controls);
}

}  // namespace

Win32ProgressWindow::Win32ProgressWindow(Ui& ui, HINSTANCE resources, int titleStringId)
    : ui_(ui),
      resources_(resources),
      titleStringId_(titleStringId != 0 ? titleStringId : IDS_INSTALLING) {}

Win32ProgressWindow::~Win32ProgressWindow() {
    // Also when the window went some other way: the owner must not stay
    // disabled.
    DestroyWindow();
}

int Win32ProgressWindow::Create() {
    if (Window() != nullptr) return 0;
    RegisterProgressClass();
    // The program has no main window: the owner is whatever is active now.
    owner_ = ::GetActiveWindow();
    if (owner_ != nullptr && ::IsWindowEnabled(owner_)) {
        ::EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    if (Dialog::Create(resources_, IDD_PROGRESS, nullptr) != nullptr) return 1;
    ReleaseOwner();
    return 0;
}

BOOL Win32ProgressWindow::OnInitDialog() {
    SendRange();
    SendItemMessage(IDC_PROGRESS_BAR, PBM_SETSTEP, static_cast<WPARAM>(counter_.Step()), 0);
    SendItemMessage(IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(counter_.Lower()), 0);
    SetCaption(LoadResourceString(resources_, titleStringId_));
    // Over the window it disabled; with none, the dialog layer takes the
    // work area.
    if (owner_ != nullptr) CenterWindow(Window(), owner_);
    return TRUE;
}

void Win32ProgressWindow::Show() {
    if (Window() != nullptr) ::ShowWindow(Window(), SW_SHOW);
}

void Win32ProgressWindow::SendRange() {
    // PBM_SETRANGE carries 16-bit bounds; the percentage keeps the full ones.
    const LPARAM range = MAKELPARAM(static_cast<WORD>(counter_.Lower() & 0xFFFF),
                                    static_cast<WORD>(counter_.Upper() & 0xFFFF));
    SendItemMessage(IDC_PROGRESS_BAR, PBM_SETRANGE, 0, range);
}

void Win32ProgressWindow::SetRange(int32_t lower, int32_t upper) {
    counter_.SetRange(lower, upper);
    SendRange();
}

void Win32ProgressWindow::SetStep(int32_t step) {
    counter_.SetStep(step);
    SendItemMessage(IDC_PROGRESS_BAR, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

int32_t Win32ProgressWindow::SetPos(int32_t position) {
    ui_.PumpMessages();
    const int32_t previous = counter_.SetPos(position);
    ShowPosition();
    return previous;
}

int32_t Win32ProgressWindow::StepIt() {
    ui_.PumpMessages();
    // Not PBM_STEPIT: the bar wraps to its lower bound past the end.
    const int32_t previous = counter_.StepIt();
    ShowPosition();
    return previous;
}

void Win32ProgressWindow::ShowPosition() {
    if (Window() == nullptr) return;
    SendItemMessage(IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(counter_.Pos()), 0);
    // Written only when it changes, so an unchanged percentage does not flicker.
    const std::string percent = counter_.Percent();
    if (ItemText(IDC_PROGRESS_PERCENT) != percent) SetItemText(IDC_PROGRESS_PERCENT, percent);
}

void Win32ProgressWindow::SetStatusText(const std::string& text) {
    if (Window() != nullptr) SetItemText(IDC_PROGRESS_STATUS, text);
}

void Win32ProgressWindow::ReleaseOwner() {
    if (!ownerDisabled_) return;
    ownerDisabled_ = false;
    if (::IsWindow(owner_)) ::EnableWindow(owner_, TRUE);
}

void Win32ProgressWindow::DestroyWindow() {
    // The owner comes back before this window goes, so activation returns
    // to it.
    ReleaseOwner();
    EndDialog(0);
}

int Win32PreparingWindow::Create() {
    if (Window() != nullptr) return 0;
    return Dialog::Create(resources_, IDD_PREPARING, nullptr) != nullptr ? 1 : 0;
}

void Win32PreparingWindow::Show() {
    if (Window() == nullptr) return;
    ::ShowWindow(Window(), SW_SHOW);
    ::InvalidateRect(Window(), nullptr, TRUE);
}

void Win32PreparingWindow::DestroyWindow() {
    EndDialog(0);
}

}  // namespace setup
