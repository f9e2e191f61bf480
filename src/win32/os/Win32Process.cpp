// The process and text: last error, environment, version and system
// folders, named mutexes, sleeping, code page 932 and ordinal comparison.
#include "win32/os/Win32Os.h"
#include "win32/os/Win32Support.h"

namespace setup {

using namespace win32;

uint32_t Win32Os::GetLastError() {
    return ::GetLastError();
}

void Win32Os::SetLastError(uint32_t error) {
    ::SetLastError(error);
}

bool Win32Os::ExpandEnvironmentStrings(const std::string& text, std::string& out) {
    const std::wstring wide = Widen(text);
    return FetchUtf8(
        [&](wchar_t* buf, DWORD size) {
            return ::ExpandEnvironmentStringsW(wide.c_str(), buf, size);
        },
        out, TextCount::SizeWithNul);
}

bool Win32Os::GetEnvironmentVariable(const std::string& name, std::string& out) {
    const std::wstring wide = Widen(name);
    return FetchUtf8([&](wchar_t* buf,
                         DWORD size) { return ::GetEnvironmentVariableW(wide.c_str(), buf, size); },
                     out, TextCount::LengthOrEmpty);
}

bool Win32Os::GetVersionEx(OsVersion& out) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExW(&info)) return false;
    out.majorVersion = info.dwMajorVersion;
    out.minorVersion = info.dwMinorVersion;
    out.buildNumber = info.dwBuildNumber;
    out.platformId = info.dwPlatformId;
    return true;
}

bool Win32Os::GetWindowsDirectory(std::string& out) {
    return FetchUtf8([](wchar_t* buf, UINT size) { return ::GetWindowsDirectoryW(buf, size); },
                     out);
}

bool Win32Os::GetSystemDirectory(std::string& out) {
    return FetchUtf8([](wchar_t* buf, UINT size) { return ::GetSystemDirectoryW(buf, size); }, out);
}

bool Win32Os::GetModuleFileName(std::string& out) {
    // A path that does not fit comes back cut, with the buffer's size.
    return FetchUtf8(
        [](wchar_t* buf, DWORD size) { return ::GetModuleFileNameW(nullptr, buf, size); }, out,
        TextCount::LengthOrCut);
}

MutexHandle Win32Os::CreateMutex(const std::string& name) {
    // The caller reads ERROR_ALREADY_EXISTS next: nothing may touch it.
    LastErrorKeeper keep;
    const std::wstring wide = Widen(name);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, wide.c_str());
    keep.Take();
    return reinterpret_cast<MutexHandle>(mutex);
}

bool Win32Os::ReleaseMutex(MutexHandle mutex) {
    return ::ReleaseMutex(reinterpret_cast<HANDLE>(mutex)) != FALSE;
}

void Win32Os::CloseMutex(MutexHandle mutex) {
    if (mutex != 0) ::CloseHandle(reinterpret_cast<HANDLE>(mutex));
}

void Win32Os::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

std::string Win32Os::DecodeCp932(std::string_view bytes) {
    if (bytes.empty()) return std::string();
    const int length = static_cast<int>(bytes.size());
    const int needed = ::MultiByteToWideChar(932, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    const int got = ::MultiByteToWideChar(932, 0, bytes.data(), length, &wide[0], needed);
    wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return Narrow(wide);
}

int Win32Os::CompareStringOrdinal(const std::string& a, const std::string& b, bool ignoreCase) {
    const std::wstring wa = Widen(a);
    const std::wstring wb = Widen(b);
    const int result =
        ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                               static_cast<int>(wb.size()), ignoreCase ? TRUE : FALSE);
    return result - CSTR_EQUAL;
}

}  // namespace setup
