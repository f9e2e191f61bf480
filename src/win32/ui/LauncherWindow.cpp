#include "win32/ui/LauncherWindow.h"

#include "resource.h"
#include "win32/os/Win32Text.h"
#include "win32/ui/Gdi.h"

namespace setup {

LauncherWindow::LauncherWindow(const SetupContext& ctx, Os& os, Ui& ui,
                               const InstallFolderReader& readInstallFolder, HINSTANCE resources)
    : ctx_(ctx),
      os_(os),
      ui_(ui),
      readInstallFolder_(readInstallFolder),
      resources_(resources),
      icon_(::LoadIconW(resources, MAKEINTRESOURCEW(IDI_SETUP))) {}

BOOL LauncherWindow::OnInitDialog() {
    icons_.Set(Window(), resources_, IDI_SETUP);

    const bool opened = OpenLauncher(os_, ui_, ctx_, state_, readInstallFolder_);
    SetCaption(state_.caption);
    if (!opened) {
        // The bitmap's own message has been shown; the choice stays 0.
        Dialog::OnCancel();
        return FALSE;
    }
    EnableItem(IDC_INSTALL, state_.installEnabled);
    EnableItem(IDC_RUN, state_.runEnabled);
    EnableItem(IDC_UNINSTALL, state_.uninstallEnabled);
    return TRUE;
}

bool LauncherWindow::OnCommand(int id, int notifyCode, HWND control) {
    switch (id) {
    case IDC_INSTALL:
    case IDC_RUN:
    case IDC_UNINSTALL:
    case IDC_EXIT:
        Command(id);
        return true;
    default:
        return Dialog::OnCommand(id, notifyCode, control);
    }
}

void LauncherWindow::OnDpiChanged() {
    icons_.Set(Window(), resources_, IDI_SETUP);
}

// Escape does nothing here (OnCancel): only Exit and the close box leave.
void LauncherWindow::OnClose() {
    Command(mb::IDCANCEL_);
}

void LauncherWindow::Command(int id) {
    HWND self = Window();
    const LauncherAsk ask = [self](const std::string& text, const std::string& caption,
                                   unsigned style) {
        return ::MessageBoxW(self, Widen(text).c_str(), Widen(caption).c_str(), style);
    };
    const int result = LauncherCommand(ctx_, state_, id, ask);
    if (result != 0) EndDialog(result);
}

INT_PTR LauncherWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYDRAGICON) return reinterpret_cast<INT_PTR>(icon_);
    return Dialog::OnMessage(message, wParam, lParam);
}

bool LauncherWindow::OnPaint() {
    if (::IsIconic(Window())) {
        PaintIconic();
        return true;
    }
    DefaultPaint();
    if (state_.bitmap.Loaded()) DrawTitleBitmap();
    return true;
}

void LauncherWindow::PaintIconic() {
    PaintScope paint(Window());
    ::SendMessageW(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Get()), 0);
    RECT client{};
    ::GetClientRect(Window(), &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(paint.Get(), x, y, icon_);
}

// The title bitmap at the top left, converted from the file's pixels at
// every paint: at its own pixel size at 100 %, else scaled to the display's
// scale and smoothed, so it keeps its place beside the buttons.
void LauncherWindow::DrawTitleBitmap() {
    const TitleBitmap& bitmap = state_.bitmap;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bitmap.info.data());

    WindowDc dc(Window());
    if (dc.Get() == nullptr) return;
    PaintScope paint(Window());
    MemoryDc memory(dc.Get());
    if (memory.Get() == nullptr) return;
    GdiObject picture(::CreateDIBitmap(dc.Get(), &info->bmiHeader, CBM_INIT, bitmap.pixels.data(),
                                       info, DIB_RGB_COLORS));
    if (picture.Get() == nullptr) return;
    Selection selected(memory.Get(), picture.Get());
    if (!selected.Selected()) return;
    // A top-down bitmap stores a negative height; it is drawn the same size.
    const int width = bitmap.DrawWidth(), height = bitmap.DrawHeight();
    const int dpi = WindowDpi(Window());
    if (dpi == kDefaultDpi) {
        ::BitBlt(dc.Get(), 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
    } else {
        const int before = ::SetStretchBltMode(dc.Get(), HALFTONE);
        POINT origin{};
        ::SetBrushOrgEx(dc.Get(), 0, 0, &origin);
        ::StretchBlt(dc.Get(), 0, 0, ScaleToDpi(width, dpi), ScaleToDpi(height, dpi), memory.Get(),
                     0, 0, width, height, SRCCOPY);
        ::SetBrushOrgEx(dc.Get(), origin.x, origin.y, nullptr);
        if (before != 0) ::SetStretchBltMode(dc.Get(), before);
    }
    paint.End();
}

}  // namespace setup
