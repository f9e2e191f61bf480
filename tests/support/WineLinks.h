// Makes a symbolic link under Wine for the Windows-side tests: Wine can make
// none itself (CreateSymbolicLinkW does nothing, FSCTL_SET_REPARSE_POINT is
// not supported), so the host's ln makes it.
#pragma once

#include <string>

#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Undef.h"

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

}  // namespace setup::win32
