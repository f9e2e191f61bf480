#include "win32/ui/Dialog.h"

#include <algorithm>
#include <vector>

#include "resource.h"
#include "win32/os/Win32Text.h"
#include "win32/ui/PumpPace.h"

namespace setup {

namespace {

// The thread's open modeless dialogs, for the message pump.
std::vector<Dialog*>& ModelessDialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

void ForgetModeless(Dialog* dialog) {
    auto& dialogs = ModelessDialogs();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}

// A wizard's sheet window belongs to the system's property sheet: it
// follows a change of scale here, with the fonts and icons it gets for it.
struct SheetScale {
    ScaledFonts fonts;
    WindowIcons icons;
    HINSTANCE resources;
    // Where the pages stand after a change of scale, in the sheet; empty
    // before one. The sheet places a page it makes later where pages stood
    // before the change.
    RECT pages{};
};
constexpr UINT_PTR kSheetSubclass = 1;
constexpr wchar_t kSheetScaleProperty[] = L"SetupSheetScale";

LRESULT CALLBACK SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR data) {
    auto* scale = reinterpret_cast<SheetScale*>(data);
    switch (message) {
    case WM_DPICHANGED:
        FollowDpiChange(sheet, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam),
                        scale->fonts);
        scale->icons.Set(sheet, scale->resources, IDI_SETUP);
        if (HWND page = PropSheet_GetCurrentPageHwnd(sheet)) {
            ::GetWindowRect(page, &scale->pages);
            ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&scale->pages), 2);
        }
        return 0;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(sheet, &SheetProc, id);
        ::RemovePropW(sheet, kSheetScaleProperty);
        ForgetDpiChange(sheet);
        delete scale;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(sheet, message, wParam, lParam);
}

bool BelongsTo(HWND dialog, HWND target) {
    return dialog != nullptr && target != nullptr &&
           (target == dialog || ::IsChild(dialog, target));
}

}  // namespace

Dialog::~Dialog() {
    if (!modal_ && hwnd_ != nullptr) ::DestroyWindow(hwnd_);
    ForgetModeless(this);
}

INT_PTR Dialog::DoModal(HINSTANCE resources, int templateId, HWND owner) {
    resources_ = resources;
    modal_ = true;
    return ::DialogBoxParamW(resources, MAKEINTRESOURCEW(templateId), owner, &Dialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

HWND Dialog::Create(HINSTANCE resources, int templateId, HWND parent) {
    if (hwnd_ != nullptr) return nullptr;  // one window per object
    resources_ = resources;
    modal_ = false;
    ModelessDialogs().push_back(this);
    PumpSoon();  // so the new window paints at the next pump
    HWND hwnd = ::CreateDialogParamW(resources, MAKEINTRESOURCEW(templateId), parent,
                                     &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr) ForgetModeless(this);
    return hwnd;
}

bool Dialog::PumpModelessMessage(MSG& msg) {
    for (Dialog* d : ModelessDialogs()) {
        HWND hwnd = d->hwnd_;
        if (!BelongsTo(hwnd, msg.hwnd)) continue;
        // The call may end the dialog; the list is not touched after it.
        return ::IsDialogMessageW(hwnd, &msg);
    }
    return false;
}

std::string WindowText(HWND window) {
    if (window == nullptr) return std::string();
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int got = ::GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return Narrow(text);
}

std::string LoadResourceString(HINSTANCE resources, int id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out the resource itself.
    const int length =
        ::LoadStringW(resources, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::string();
    return Narrow(std::wstring(text, static_cast<size_t>(length)));
}

std::string Dialog::ItemText(int id) const {
    return WindowText(Item(id));
}

void Dialog::SetItemText(int id, const std::string& text) {
    ::SetDlgItemTextW(hwnd_, id, Widen(text).c_str());
    FitText(Item(id));
}

void Dialog::EnableItem(int id, bool enable) {
    ::EnableWindow(Item(id), enable ? TRUE : FALSE);
}

void Dialog::CheckItem(int id, bool checked) {
    ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT Dialog::SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendDlgItemMessageW(hwnd_, id, message, wParam, lParam);
}

std::string Dialog::Caption() const {
    return WindowText(hwnd_);
}

void Dialog::SetCaption(const std::string& text) {
    ::SetWindowTextW(hwnd_, Widen(text).c_str());
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

void Dialog::DefaultPaint() {
    // DefWindowProc paints a dialog by BeginPaint/EndPaint, which has the
    // background erased through the dialog procedure as usual. DefDlgProc
    // cannot be called from inside the dialog procedure: it calls it back.
    ::DefWindowProcW(hwnd_, WM_PAINT, 0, 0);
}

void Dialog::AfterDpiChange() {
    FitTexts(hwnd_);
    OnDpiChanged();
}

void Dialog::EndDialog(INT_PTR result) {
    if (hwnd_ == nullptr) return;
    if (modal_) {
        ::EndDialog(hwnd_, result);
    } else {
        ::DestroyWindow(hwnd_);
    }
}

BOOL Dialog::InitDialog() {
    HWND hwnd = hwnd_;
    TakeOverDpiScaling(hwnd);
    if ((::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
        // A page made after its wizard changed scale follows it at once.
        FollowDpiChange(hwnd, WindowDpi(hwnd), nullptr, fonts_);
    } else {
        NoteDpi(hwnd);
    }
    RECT before{};
    ::GetWindowRect(hwnd, &before);
    const BOOL result = OnInitDialog();
    if (!::IsWindow(hwnd)) return result;
    FitTexts(hwnd);

    // A top-level dialog that its initialisation did not move opens centred,
    // over its owner when that is waiting on it, else on the work area (the
    // templates sit at 0,0 and do not ask for DS_CENTER).
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    if ((style & (WS_CHILD | DS_CENTER)) != 0) return result;
    RECT after{};
    ::GetWindowRect(hwnd, &after);
    if (after.left != before.left || after.top != before.top) return result;
    HWND owner = ::GetWindow(hwnd, GW_OWNER);
    if (owner != nullptr && ::IsWindowEnabled(owner)) return result;
    CenterWindow(hwnd, owner);
    return result;
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
        return self->InitDialog();
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG
    switch (message) {
    case WM_NCDESTROY:
        ForgetDpiChange(hwnd);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        if (!self->modal_) ForgetModeless(self);
        return FALSE;
    case WM_COMMAND:
        return self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))
                   ? TRUE
                   : FALSE;
    case WM_PAINT:
        return self->OnPaint() ? TRUE : FALSE;
    case WM_DPICHANGED:
        FollowDpiChange(hwnd, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam),
                        self->fonts_);
        self->AfterDpiChange();
        return TRUE;
    case kDpiChangedAfterParent:
        self->AfterDpiChange();
        return TRUE;
    case WM_CLOSE:
        // Handled here, the close box does not become the IDCANCEL that
        // Escape and a Cancel button give.
        self->OnClose();
        return TRUE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
        // The only place a notification's answer is written.
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return self->OnMessage(message, wParam, lParam);
    }
}

HPROPSHEETPAGE PropertyPage::CreatePage(HINSTANCE resources, int templateId,
                                        const std::string& title) {
    title_ = Widen(title);
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_USETITLE;  // and not PSP_HASHELP
    page.hInstance = resources;
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pszTitle = title_.c_str();
    page.pfnDlgProc = &PropertyPage::PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return ::CreatePropertySheetPageW(&page);
}

INT_PTR CALLBACK PropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam != FALSE) {
        // A page made after a change of scale stands where the others do.
        const auto* scale =
            static_cast<const SheetScale*>(::GetPropW(::GetParent(hwnd), kSheetScaleProperty));
        if (scale != nullptr && !::IsRectEmpty(&scale->pages)) {
            const RECT& r = scale->pages;
            ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (message == WM_INITDIALOG && lParam != 0) {
        const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        FollowSheetScale(::GetParent(hwnd), page->hInstance);
        lParam = page->lParam;
    }
    return DialogProc(hwnd, message, wParam, lParam);
}

void PropertyPage::FollowSheetScale(HWND sheet, HINSTANCE resources) {
    if (sheet == nullptr || ::GetPropW(sheet, kSheetScaleProperty) != nullptr) return;
    auto* scale = new SheetScale{{}, {}, resources};
    if (!::SetWindowSubclass(sheet, &SheetProc, kSheetSubclass,
                             reinterpret_cast<DWORD_PTR>(scale))) {
        delete scale;
        return;
    }
    ::SetPropW(sheet, kSheetScaleProperty, scale);
    NoteDpi(sheet);
    TakeOverDpiScaling(sheet);
    scale->icons.Set(sheet, resources, IDI_SETUP);
}

void PropertyPage::PostWizardButtons(int buttons) {
    ::PostMessageW(Sheet(), PSM_SETWIZBUTTONS, 0, buttons);
}

bool PropertyPage::OnNotify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_WIZNEXT:
        result = OnWizardNext();
        return true;
    case PSN_WIZBACK:
        result = OnWizardBack();
        return true;
    case PSN_WIZFINISH:
        // Non-zero keeps the wizard open.
        result = OnWizardFinish() ? 0 : 1;
        return true;
    default:
        return false;
    }
}

void CenterWindow(HWND window, HWND owner) {
    const bool overOwner = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);
    HMONITOR monitor = ::MonitorFromWindow(overOwner ? owner : window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    RECT area{};
    if (monitor != nullptr && ::GetMonitorInfoW(monitor, &info)) {
        area = info.rcWork;
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT centre = area;
    if (overOwner) ::GetWindowRect(owner, &centre);

    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return;
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG x = centre.left + (centre.right - centre.left - width) / 2;
    LONG y = centre.top + (centre.bottom - centre.top - height) / 2;
    // Keep it on the work area; a window larger than that shows its top left.
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace setup
