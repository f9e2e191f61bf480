// The display's scale: the dots per inch a window is drawn at, following a
// change of scale, texts that need more room than their control at some
// scale, and icons at the sizes the system asks for.
//
// The program declares itself aware of each monitor's scale, so Windows
// scales nothing of it: the dialog templates grow with their font, and the
// rest (pictures, icons, a move to a monitor of another scale) is done here.
#pragma once

#include <memory>
#include <vector>

#include "win32/os/Win32Undef.h"

namespace setup {

constexpr int kDefaultDpi = 96;

// WM_DPICHANGED_AFTERPARENT, newer than the headers this program is built
// against: what a dialog below a window that changed scale gets.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The dots per inch `window` is drawn at: the scale its top-level window
// was noted at or followed last, else the system's for that window.
int WindowDpi(HWND window);

// Notes the scale `top`, a top-level window, is laid out at as it opens:
// by the time a change of scale is announced, the system already gives the
// new one.
void NoteDpi(HWND top);

// `value` at `dpi`, for a value given at 96 DPI.
inline int ScaleToDpi(int value, int dpi) {
    return ::MulDiv(value, dpi, kDefaultDpi);
}

// Fonts made for a scale, owned by the window that uses them.
using ScaledFonts = std::vector<std::shared_ptr<void>>;

// Follows a change of `top`'s scale to `dpi` (WM_DPICHANGED): every window
// below it takes its place and size times the change, every font in use is
// made again at the new size (kept in `fonts`), and `top` moves to
// `suggested` (when given) with its client area grown by the same factor.
// The dialogs below it then get kDpiChangedAfterParent, and it is
// invalidated with everything below it.
void FollowDpiChange(HWND top, int dpi, const RECT* suggested, ScaledFonts& fonts);

// Forgets the scale `top` followed, as it is destroyed (WM_NCDESTROY).
void ForgetDpiChange(HWND top);

// Keeps Windows from scaling a dialog on a change of scale itself: the
// dialog follows it with FollowDpiChange. Nothing where Windows does not
// scale dialogs.
void TakeOverDpiScaling(HWND dialog);

// Grows `control`, a static text, when its text needs more room than it
// has: first to the right, as far as its dialog, its group box and the
// controls beside it allow, then down, as far as those below allow. Never
// shrinks and never moves it.
void FitText(HWND control);

// FitText for every static text of `dialog`.
void FitTexts(HWND dialog);

// Icon `id` of `resources` at the size the system gives `metric`
// (SM_CXICON or SM_CXSMICON) at `dpi`. The caller destroys it.
HICON LoadIconForDpi(HINSTANCE resources, int id, int metric, int dpi);

// A window's big and small icons at its scale, owned.
class WindowIcons {
public:
    WindowIcons() = default;
    ~WindowIcons();
    WindowIcons(const WindowIcons&) = delete;
    WindowIcons& operator=(const WindowIcons&) = delete;

    // Gives `window` icon `id` of `resources` at the sizes its scale asks
    // for (WM_SETICON, big and small); the ones given before are destroyed.
    void Set(HWND window, HINSTANCE resources, int id);

private:
    HICON big_ = nullptr;
    HICON small_ = nullptr;
};

}  // namespace setup
