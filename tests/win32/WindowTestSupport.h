// Helpers shared by the Windows-side tests that open real windows.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "win32/os/Win32Os.h"
#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"
#include "win32/ui/Win32Ui.h"

namespace setup {

// A window's text in UTF-8.
inline std::string TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], int(text.size()))));
    return Narrow(text);
}
inline std::string ItemText(HWND dialog, int id) {
    return TextOf(::GetDlgItem(dialog, id));
}

// The program's resources, linked into the test program.
inline HINSTANCE ProgramResources() {
    return ::GetModuleHandleW(nullptr);
}

inline RECT WindowRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}
inline RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Expects `window` centred on `area`, to `slack` pixels of rounding.
inline void ExpectCentred(HWND window, const RECT& area, int slack) {
    const RECT r = WindowRect(window);
    EXPECT_NEAR((area.left + area.right) / 2, (r.left + r.right) / 2, slack) << "across";
    EXPECT_NEAR((area.top + area.bottom) / 2, (r.top + r.bottom) / 2, slack) << "down";
}

// Pumps `ui`'s messages, 10 ms apart, until `done` holds or `rounds` have passed.
template <class Ui, class Done>
bool PumpUntil(Ui& ui, int rounds, Done done) {
    for (int i = 0; i < rounds && !done(); ++i) {
        ui.PumpMessages();
        ::Sleep(10);
    }
    return done();
}

// Whether a window opens here. Without a display (Xvfb under Wine) the window
// tests cannot test anything, and that is a failure, not a pass.
inline ::testing::AssertionResult WindowsOpen() {
    HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   nullptr, nullptr);
    if (probe == nullptr) {
        return ::testing::AssertionFailure()
               << "no window could be opened (error " << ::GetLastError()
               << "): run the window tests with DISPLAY set to an X server such as Xvfb";
    }
    ::DestroyWindow(probe);
    return ::testing::AssertionSuccess();
}

// A visible window of this thread that has the given control; null if none.
// Windows of other programs on the same display are never taken for the test's.
inline HWND FindThreadDialog(int controlId) {
    std::pair<int, HWND> search{controlId, nullptr};  // the id, the window found
    const WNDENUMPROC visit = [](HWND h, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<std::pair<int, HWND>*>(p);
        if (!::IsWindowVisible(h) || ::GetDlgItem(h, s->first) == nullptr) return TRUE;
        s->second = h;
        return FALSE;
    };
    ::EnumThreadWindows(::GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Makes a folder the current one while it lives; then the one before again.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) : before_(32768, L'\0') {
        before_.resize(::GetCurrentDirectoryW(32768, &before_[0]));
        EXPECT_TRUE(::SetCurrentDirectoryW(folder.c_str())) << Narrow(folder);
    }
    ~CurrentFolder() { ::SetCurrentDirectoryW(before_.c_str()); }

private:
    std::wstring before_;
};

// The base of every test that opens windows, with the real Os and a real Ui
// (Win32Ui or one derived from it): it fails at once without a display.
template <class Ui = Win32Ui>
class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WindowsOpen()); }

    Win32Os os;
    Ui ui{os, ProgramResources()};
};

}  // namespace setup
