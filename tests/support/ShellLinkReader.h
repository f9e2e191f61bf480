// Reads a shortcut back through the shell, for the Windows-side tests: what
// the program saved is checked with the platform's own reader.
#pragma once

#include <cstdint>
#include <string>

#include "win32/os/Win32Support.h"

namespace setup {

// IPersistFile::Load of the link, then IShellLinkW::GetPath. COM must be
// initialised. Returns the first failing HRESULT; `target` untouched on failure.
inline int32_t LoadShellLinkTarget(const std::string& linkPath, std::string& target) {
    win32::ComPtr<IShellLinkW> shellLink;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    shellLink.Out());
    if (FAILED(hr)) return hr;
    win32::ComPtr<IPersistFile> persist;
    hr = shellLink->QueryInterface(IID_IPersistFile, persist.Out());
    if (FAILED(hr)) return hr;
    hr = persist->Load(Widen(linkPath).c_str(), STGM_READ);
    if (FAILED(hr)) return hr;
    std::wstring buffer(32768, L'\0');
    hr = shellLink->GetPath(&buffer[0], static_cast<int>(buffer.size()), nullptr, 0);
    if (FAILED(hr)) return hr;
    target = Narrow(buffer.c_str(), wcsnlen(buffer.c_str(), buffer.size()));
    return hr;
}

}  // namespace setup
