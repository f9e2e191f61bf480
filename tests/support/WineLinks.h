// Makes a symbolic link for the Windows-side tests. Wine can make none itself
// (CreateSymbolicLinkW does nothing, FSCTL_SET_REPARSE_POINT is not
// supported), so there the host's ln makes it.
#pragma once

#include <string>

#include "win32/os/Win32Links.h"
#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"

namespace setup::win32 {

// A link `link` to the existing `target` (both absolute); true once it shows.
inline bool MakeWineLink(const std::wstring& link, const std::wstring& target) {
    const std::wstring unixLink = UnixName(link);
    const std::wstring unixTarget = UnixName(target);
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

// A link `link` (UTF-8, absolute) to the existing file or folder `target`.
inline bool MakeTestLink(const std::string& link, const std::string& target) {
    if (RunningOnWine()) return MakeWineLink(Widen(link), Widen(target));
    const DWORD attributes = ::GetFileAttributesW(Widen(target).c_str());
    const DWORD flags =
        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE |
        ((attributes & FILE_ATTRIBUTE_DIRECTORY) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    return ::CreateSymbolicLinkW(Widen(link).c_str(), Widen(target).c_str(), flags) != FALSE;
}

}  // namespace setup::win32
