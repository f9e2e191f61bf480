#include "win32/ui/Scale.h"

#include <algorithm>
#include <map>
#include <string>

#include "win32/ui/Gdi.h"

namespace setup {

namespace {

// DDC_DISABLE_ALL, newer than the headers this program is built against.
constexpr int kDialogScalingOff = 1;

// The scale a top-level window followed last, kept on the window.
constexpr wchar_t kDpiProperty[] = L"SetupDpi";

// Functions of newer systems, looked up once; null where there are none.
template <typename Function>
Function UserFunction(const char* name) {
    HMODULE user = ::GetModuleHandleW(L"user32.dll");
    return user == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);

// The system's scale for `window`, whatever change of scale it followed.
int SystemDpi(HWND window) {
    static const auto forWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
    if (forWindow != nullptr && window != nullptr) {
        if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
    }
    WindowDc screen(nullptr);
    const int dpi = screen.Get() != nullptr ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDefaultDpi;
}

RECT RectIn(HWND window, HWND parent) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ScaleRect(const RECT& r, int to, int from) {
    return {::MulDiv(r.left, to, from), ::MulDiv(r.top, to, from), ::MulDiv(r.right, to, from),
            ::MulDiv(r.bottom, to, from)};
}

bool IsDialog(HWND window) {
    wchar_t kind[16]{};
    return ::GetClassNameW(window, kind, 16) > 0 && std::wstring(kind) == L"#32770";
}

BOOL CALLBACK CollectWindow(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> found;
    ::EnumChildWindows(window, &CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Whether `control` is a static that shows text (not a picture or a frame).
bool IsStaticText(HWND control) {
    wchar_t kind[16]{};
    if (::GetClassNameW(control, kind, 16) <= 0 || _wcsicmp(kind, L"Static") != 0) return false;
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
}

bool IsGroupBox(HWND control) {
    wchar_t kind[16]{};
    return ::GetClassNameW(control, kind, 16) > 0 && _wcsicmp(kind, L"Button") == 0 &&
           (::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// A device context of `control` with its font selected.
class ControlFontDc {
public:
    explicit ControlFontDc(HWND control)
        : dc_(control),
          font_(dc_.Get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0))) {}
    HDC Get() const { return dc_.Get(); }

private:
    WindowDc dc_;
    Selection font_;
};

// The room `text` needs drawn in `control`'s font, wrapped at `width`.
SIZE TextNeeds(HWND control, const std::wstring& text, int width) {
    RECT need{0, 0, width, 0};
    ControlFontDc dc(control);
    if (dc.Get() == nullptr) return {0, 0};
    ::DrawTextW(dc.Get(), text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    return {need.right - need.left, need.bottom - need.top};
}

// The height of a line of text in `control`'s font.
LONG LineHeight(HWND control) {
    TEXTMETRICW metrics{};
    ControlFontDc dc(control);
    return dc.Get() != nullptr && ::GetTextMetricsW(dc.Get(), &metrics) ? metrics.tmHeight : 0;
}

bool Overlap(LONG a1, LONG a2, LONG b1, LONG b2) {
    return a1 < b2 && b1 < a2;
}

}  // namespace

int WindowDpi(HWND window) {
    HWND top = window != nullptr ? ::GetAncestor(window, GA_ROOT) : nullptr;
    if (top != nullptr) {
        if (const auto followed = reinterpret_cast<intptr_t>(::GetPropW(top, kDpiProperty))) {
            return static_cast<int>(followed);
        }
    }
    return SystemDpi(window);
}

void NoteDpi(HWND top) {
    if (top == nullptr || ::GetPropW(top, kDpiProperty) != nullptr) return;
    ::SetPropW(top, kDpiProperty, reinterpret_cast<HANDLE>(intptr_t{SystemDpi(top)}));
}

void FollowDpiChange(HWND window, int dpi, const RECT* suggested, ScaledFonts& fonts) {
    if (window == nullptr || dpi <= 0) return;
    const bool child = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    // A child dialog made after its top-level window changed scale was made
    // at the system's; a top-level window is at the scale it followed last.
    const int from = child ? SystemDpi(window) : WindowDpi(window);
    if (!child) ::SetPropW(window, kDpiProperty, reinterpret_cast<HANDLE>(intptr_t{dpi}));
    if (from == dpi) {
        if (suggested != nullptr) {
            ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return;
    }

    // Every place is read before anything moves: a window may lay out its
    // own children when it is resized.
    const std::vector<HWND> below = Descendants(window);
    std::vector<RECT> places;
    places.reserve(below.size());
    for (HWND w : below) places.push_back(ScaleRect(RectIn(w, ::GetParent(w)), dpi, from));

    ScaledFonts made;
    std::map<HFONT, HFONT> remade;
    const auto scaled = [&](HWND w) -> HFONT {
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(w, WM_GETFONT, 0, 0));
        if (font == nullptr) return nullptr;
        const auto known = remade.find(font);
        if (known != remade.end()) return known->second;
        LOGFONTW shape{};
        HFONT again = nullptr;
        if (::GetObjectW(font, sizeof(shape), &shape) == sizeof(shape)) {
            shape.lfHeight = ::MulDiv(shape.lfHeight, dpi, from);
            shape.lfWidth = ::MulDiv(shape.lfWidth, dpi, from);
            again = ::CreateFontIndirectW(&shape);
        }
        if (again != nullptr) made.emplace_back(again, [](void* f) { ::DeleteObject(f); });
        remade[font] = again;
        return again;
    };

    for (size_t i = 0; i < below.size(); ++i) {
        const RECT& r = places[i];
        ::SetWindowPos(below[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (HFONT font = scaled(below[i])) {
            ::SendMessageW(below[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
    // The dialog's own font stays: the dialog manager made it and deletes it.

    if (child) {
        const RECT r = ScaleRect(RectIn(window, ::GetParent(window)), dpi, from);
        ::SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        // The client area grows by the change; the frame is the new scale's.
        RECT client{};
        ::GetClientRect(window, &client);
        RECT frame{0, 0, ::MulDiv(client.right, dpi, from), ::MulDiv(client.bottom, dpi, from)};
        const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
        static const auto adjust =
            UserFunction<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
        if (adjust != nullptr) {
            adjust(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi));
        } else {
            ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        }
        RECT now{};
        ::GetWindowRect(window, &now);
        const POINT at = suggested != nullptr ? POINT{suggested->left, suggested->top}
                                              : POINT{now.left, now.top};
        ::SetWindowPos(window, nullptr, at.x, at.y, frame.right - frame.left,
                       frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
        // Where the frame is drawn at another scale than the one asked about
        // (Wine draws every frame at the system's), the client area is
        // mended to its size.
        RECT got{};
        ::GetClientRect(window, &got);
        const LONG wide = ::MulDiv(client.right, dpi, from) - got.right;
        const LONG high = ::MulDiv(client.bottom, dpi, from) - got.bottom;
        if (wide != 0 || high != 0) {
            ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + wide,
                           frame.bottom - frame.top + high,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    // The fonts of the scale before are no longer in use.
    fonts.swap(made);

    if (!child) {
        for (HWND w : below) {
            if (IsDialog(w)) ::SendMessageW(w, kDpiChangedAfterParent, 0, 0);
        }
    }
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ForgetDpiChange(HWND top) {
    ::RemovePropW(top, kDpiProperty);
}

void TakeOverDpiScaling(HWND dialog) {
    static const auto behave =
        UserFunction<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
    if (behave != nullptr) behave(dialog, kDialogScalingOff, kDialogScalingOff);
}

void FitText(HWND control) {
    if (control == nullptr || !IsStaticText(control)) return;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, &text[0], int(text.size()))));
    if (text.empty()) return;
    HWND parent = ::GetParent(control);
    const RECT self = RectIn(control, parent);
    const LONG width = self.right - self.left, height = self.bottom - self.top;
    SIZE need = TextNeeds(control, text, width);
    if (need.cx <= width && need.cy <= height) return;

    // The bounds: the dialog less a margin, a group box the text stands in,
    // and the controls beside it (to the right) and under it.
    RECT client{};
    ::GetClientRect(parent, &client);
    RECT margin{0, 0, 4, 2};  // dialog units
    ::MapDialogRect(parent, &margin);
    LONG right = client.right - margin.right;
    LONG bottom = client.bottom;
    std::vector<RECT> others;
    for (HWND w = ::GetWindow(parent, GW_CHILD); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (w == control || !::IsWindowVisible(w)) continue;
        const RECT r = RectIn(w, parent);
        const bool around = r.left <= self.left && r.top <= self.top && r.right >= self.right &&
                            r.bottom >= self.bottom;
        if (around && IsGroupBox(w)) {
            right = std::min(right, r.right - margin.right);
            bottom = std::min(bottom, r.bottom - margin.bottom);
        } else if (!around) {
            others.push_back(r);
        }
    }
    for (const RECT& r : others) {
        if (r.left >= self.right && Overlap(r.top, r.bottom, self.top, self.bottom)) {
            right = std::min(right, r.left - margin.right);
        }
    }
    const auto bottomFor = [&](LONG w) {
        LONG b = bottom;
        for (const RECT& r : others) {
            if (r.top >= self.bottom && Overlap(r.left, r.right, self.left, self.left + w)) {
                b = std::min(b, r.top);
            }
        }
        return b;
    };
    // Lines that only lack height get it where there is room below;
    // otherwise the text gets as wide as its lines want, within the bounds.
    LONG newWidth = width;
    if (need.cx > width || need.cy > bottomFor(width) - self.top) {
        const SIZE wide = TextNeeds(control, text, std::max<LONG>(right - self.left, width));
        newWidth = std::max(width, std::min<LONG>(wide.cx, right - self.left));
        need = TextNeeds(control, text, newWidth);
    }
    // Where the room below ends first, only whole lines: half a line shown
    // is worse than none.
    const LONG room = bottomFor(newWidth) - self.top;
    LONG newHeight = need.cy;
    if (newHeight > room) {
        const LONG line = LineHeight(control);
        newHeight = line > 0 ? room / line * line : room;
    }
    newHeight = std::max(height, newHeight);
    if (newWidth == width && newHeight == height) return;
    ::SetWindowPos(control, nullptr, 0, 0, newWidth, newHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(control, nullptr, TRUE);
}

void FitTexts(HWND dialog) {
    for (HWND w = ::GetWindow(dialog, GW_CHILD); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        FitText(w);
    }
}

HICON LoadIconForDpi(HINSTANCE resources, int id, int metric, int dpi) {
    static const auto metrics = UserFunction<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    const int size = metrics != nullptr
                         ? metrics(metric, static_cast<UINT>(dpi))
                         : ::MulDiv(::GetSystemMetrics(metric), dpi, SystemDpi(nullptr));
    return static_cast<HICON>(
        ::LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

WindowIcons::~WindowIcons() {
    if (big_ != nullptr) ::DestroyIcon(big_);
    if (small_ != nullptr) ::DestroyIcon(small_);
}

void WindowIcons::Set(HWND window, HINSTANCE resources, int id) {
    const int dpi = WindowDpi(window);
    HICON big = LoadIconForDpi(resources, id, SM_CXICON, dpi);
    HICON small = LoadIconForDpi(resources, id, SM_CXSMICON, dpi);
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (big_ != nullptr) ::DestroyIcon(big_);
    if (small_ != nullptr) ::DestroyIcon(small_);
    big_ = big;
    small_ = small;
}

}  // namespace setup
