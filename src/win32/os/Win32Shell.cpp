// The shell and COM: ShellExecute, CoInitialize and shell links.
#include "win32/os/Win32Os.h"
#include "win32/os/Win32Support.h"

namespace setup {

using namespace win32;

intptr_t Win32Os::ShellExecute(const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) {
    const std::wstring wideVerb = Widen(verb);
    const std::wstring wideFile = Widen(file);
    const std::wstring wideParameters = Widen(parameters);
    const std::wstring wideDirectory = Widen(directory);
    HINSTANCE result = ::ShellExecuteW(::GetDesktopWindow(), OrNull(wideVerb), OrNull(wideFile),
                                       OrNull(wideParameters), OrNull(wideDirectory), showCommand);
    return reinterpret_cast<intptr_t>(result);
}

bool Win32Os::StartDeletedOnExit(const std::string& path, const std::string& parameters,
                                 const std::string& directory) {
    const std::wstring file = Widen(path);
    const std::wstring folder = Widen(directory);
    // The child inherits the delete-on-close handle; once this process has
    // closed its own, the child's is the last, and its end deletes the file.
    // Opened as the name itself: should a link be there, only the link goes.
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    Handle held(::CreateFileW(file.c_str(), GENERIC_READ | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held.Valid()) return false;
    std::wstring command = L"\"" + file + L"\" " + Widen(parameters);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(file.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                          OrNull(folder), &startup, &started)) {
        return false;
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return true;
}

int32_t Win32Os::CoInitialize() {
    return ::CoInitialize(nullptr);
}

void Win32Os::CoUninitialize() {
    ::CoUninitialize();
}

int32_t Win32Os::SaveShellLink(const std::string& linkPath, const ShellLinkData& link) {
    ComPtr<IShellLinkW> shellLink;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    shellLink.Out());
    if (FAILED(hr)) return hr;
    ComPtr<IPersistFile> persist;
    hr = shellLink->QueryInterface(IID_IPersistFile, persist.Out());
    if (FAILED(hr)) return hr;

    const std::wstring target = Widen(link.target);
    const std::wstring description = Widen(link.description.value_or(""));
    const std::wstring arguments = Widen(link.arguments.value_or(""));
    const std::wstring directory = Widen(link.workingDirectory.value_or(""));
    const std::wstring iconFile = Widen(link.iconFile.value_or(""));
    // Each setting is made whatever the previous one returned. A value not
    // given is not set at all: a new link has none, and Wine's
    // SetWorkingDirectory(nullptr) reads the null pointer.
    shellLink->SetPath(target.c_str());
    if (link.description) shellLink->SetDescription(description.c_str());
    if (link.arguments) shellLink->SetArguments(arguments.c_str());
    if (link.workingDirectory) shellLink->SetWorkingDirectory(directory.c_str());
    if (link.iconFile || link.iconIndex != 0) {
        shellLink->SetIconLocation(link.iconFile ? iconFile.c_str() : nullptr, link.iconIndex);
    }
    shellLink->SetShowCmd(link.showCommand);

    const std::wstring path = Widen(linkPath);
    return persist->Save(path.c_str(), TRUE);
}

}  // namespace setup
