// Helpers shared by the Windows-side tests that open real windows.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Undef.h"

namespace setup {

// A window's text in UTF-8.
inline std::string TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], int(text.size()))));
    return Narrow(text);
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
    struct Search {
        int id;
        HWND found;
    } search{controlId, nullptr};
    struct Visit {
        static BOOL CALLBACK Window(HWND h, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            if (!::IsWindowVisible(h) || ::GetDlgItem(h, s->id) == nullptr) return TRUE;
            s->found = h;
            return FALSE;
        }
    };
    ::EnumThreadWindows(::GetCurrentThreadId(), &Visit::Window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The base of every test that opens windows: it fails at once without a display.
class WindowTestBase : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WindowsOpen()); }
};

}  // namespace setup
