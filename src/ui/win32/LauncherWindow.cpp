#include "ui/win32/LauncherWindow.h"

#include "core/Text.h"
#include "platform/win32/Win32Text.h"
#include "resource.h"
#include "ui/Ui.h"

namespace setup {

LauncherWindow::LauncherWindow(SetupContext& ctx) : ctx_(ctx) {
    ctx_.MenuChoice = 0;
}

// Escape does nothing here: only Exit and the close box leave.
bool LauncherWindow::PreTranslateMessage(const MSG& msg) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE;
}

BOOL LauncherWindow::OnInitDialog() {
    HICON icon = ::LoadIconW(Resources(), MAKEINTRESOURCEW(IDI_SETUP));
    if (icon != nullptr) {
        ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    const std::wstring caption = Widen(ctx_.GAME_NAME);
    ::SetWindowTextW(Window(), caption.c_str());
    return TRUE;
}

bool LauncherWindow::OnCommand(int id, int notifyCode, HWND control) {
    switch (id) {
    case IDC_INSTALL:
        ctx_.MenuChoice = 1;
        OnOK();
        return true;
    case IDC_RUN:
        ctx_.MenuChoice = 3;
        OnOK();
        return true;
    case IDC_UNINSTALL:
        OnUninstall();
        return true;
    case IDC_EXIT:
        OnCancel();
        return true;
    default:
        return Dialog::OnCommand(id, notifyCode, control);
    }
}

void LauncherWindow::OnCancel() {
    ctx_.MenuChoice = 0;
    EndDialog(mb::IDCANCEL_);
}

void LauncherWindow::OnUninstall() {
    const std::wstring text =
        Widen(Format("%sのｱﾝｲﾝｽﾄｰﾙを行います。\n\nよろしいですか？", ctx_.GAME_NAME.c_str()));
    const int answer = ::MessageBoxW(Window(), text.c_str(), L"確認",
                                     mb::YESNO | mb::ICONQUESTION | mb::DEFBUTTON2);
    if (answer != mb::IDYES_) return;
    ctx_.MenuChoice = 2;
    OnOK();
}

}  // namespace setup
