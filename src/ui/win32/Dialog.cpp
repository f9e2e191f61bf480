#include "ui/win32/Dialog.h"

namespace setup {

namespace {

// The innermost modal dialog of the (only) thread, and the hook that shows
// it the messages of the modal loops.
Dialog* g_modal = nullptr;
HHOOK g_filter = nullptr;

}  // namespace

INT_PTR Dialog::DoModal(HINSTANCE resources, int templateId, HWND owner) {
    resources_ = resources;
    outer_ = g_modal;
    g_modal = this;
    const bool ownsHook = g_filter == nullptr;
    if (ownsHook) {
        g_filter = ::SetWindowsHookExW(WH_MSGFILTER, &Dialog::MessageFilter, nullptr,
                                       ::GetCurrentThreadId());
    }
    const INT_PTR result = ::DialogBoxParamW(resources, MAKEINTRESOURCEW(templateId), owner,
                                             &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (ownsHook && g_filter != nullptr) {
        ::UnhookWindowsHookEx(g_filter);
        g_filter = nullptr;
    }
    g_modal = outer_;
    outer_ = nullptr;
    return result;
}

LRESULT CALLBACK Dialog::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && lParam != 0) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        // Only the dialog the message belongs to sees it; a message box or
        // another window on top has its own keys.
        for (Dialog* d = g_modal; d != nullptr; d = d->outer_) {
            if (d->hwnd_ == nullptr) continue;
            if (msg.hwnd != d->hwnd_ && !::IsChild(d->hwnd_, msg.hwnd)) continue;
            try {
                if (d->PreTranslateMessage(msg)) return 1;
            } catch (...) {
                // Not across the hook: the message goes on as unhandled.
            }
            break;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Dialog::OnCommand(int id, int, HWND) {
    switch (id) {
    case mb::IDOK_:
        OnOK();
        return true;
    case mb::IDCANCEL_:
        OnCancel();
        return true;
    default:
        return false;
    }
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

void Dialog::EndDialog(INT_PTR result) {
    ::EndDialog(hwnd_, result);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // No exception may unwind through the window manager's frames.
    try {
        return Dispatch(hwnd, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR Dialog::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    if (message == WM_COMMAND) {
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))
                   ? TRUE
                   : FALSE;
    }
    return self->OnMessage(message, wParam, lParam);
}

}  // namespace setup
