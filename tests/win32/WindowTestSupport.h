// Helpers shared by the Windows-side tests that open real windows.
#pragma once

#include <string>

#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Undef.h"

namespace setup {

// A window's text in UTF-8.
inline std::string TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return Narrow(text);
}

// Whether windows can be opened here (there is a display).
inline bool CanOpenWindows() {
    HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   nullptr, nullptr);
    if (probe == nullptr) return false;
    ::DestroyWindow(probe);
    return true;
}

}  // namespace setup
