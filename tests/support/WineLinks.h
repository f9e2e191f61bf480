// Makes a symbolic link under Wine for the Windows-side tests: Wine can make
// none itself (CreateSymbolicLinkW does nothing, FSCTL_SET_REPARSE_POINT is
// not supported), so the host's ln makes it.
#pragma once

#include <string>

#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Support.h"

namespace setup::win32 {

// A link `link` to the existing `target`; true once it shows.
inline bool MakeWineLink(const std::wstring& link, const std::wstring& target) {
    const auto full = [](const std::wstring& path) {
        std::wstring out;
        FetchText(
            [&](wchar_t* buf, DWORD size) {
                return ::GetFullPathNameW(path.c_str(), size, buf, nullptr);
            },
            out);
        return out;
    };
    const std::wstring unixLink = UnixName(full(link));
    const std::wstring unixTarget = UnixName(full(target));
    if (unixLink.empty() || unixTarget.empty() ||
        !StartHostProgram(L"\\\\?\\unix\\bin\\ln",
                          L"ln -s -- \"" + unixTarget + L"\" \"" + unixLink + L"\"")) {
        return false;
    }
    for (int waited = 0; waited < 500; ++waited) {
        if (::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        ::Sleep(10);
    }
    return false;
}

}  // namespace setup::win32
