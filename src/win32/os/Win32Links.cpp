#include "win32/os/Win32Links.h"

#include <vector>

#include "win32/os/Win32Support.h"

namespace setup::win32 {

namespace {

// Wine's code page of the host's file names.
constexpr UINT CP_UNIXCP_ = 65010;
constexpr DWORD kHostWaitMs = 5000;

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Where `path` leads once every link is followed, without a trailing "\";
// empty when it cannot be opened.
std::wstring FinalPath(const std::wstring& path) {
    Handle file(::CreateFileW(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring final;
    if (!file.Valid() || !FetchText(
                             [&](wchar_t* buf, DWORD size) {
                                 return ::GetFinalPathNameByHandleW(file.Get(), buf, size, 0);
                             },
                             final)) {
        return {};
    }
    while (!final.empty() && final.back() == L'\\') final.pop_back();
    return final;
}

// The entry itself, as its folder lists it (a link is not followed).
bool FindEntry(const std::wstring& path, WIN32_FIND_DATAW& data) {
    FindHandle find(::FindFirstFileW(path.c_str(), &data));
    return find.Get() != INVALID_HANDLE_VALUE;
}

}  // namespace

std::wstring UnixName(const std::wstring& path) {
    using GetUnixName = char*(CDECL*)(const wchar_t*);
    const auto get = reinterpret_cast<GetUnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = get ? get(path.c_str()) : nullptr;
    if (!name) return {};
    std::wstring wide;
    const int n = ::MultiByteToWideChar(CP_UNIXCP_, 0, name, -1, nullptr, 0);
    if (n > 1) {
        wide.resize(n);
        ::MultiByteToWideChar(CP_UNIXCP_, 0, name, -1, &wide[0], n);
        wide.resize(n - 1);
    }
    ::HeapFree(::GetProcessHeap(), 0, name);
    return wide;
}

bool StartHostProgram(const wchar_t* program, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        return false;
    }
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    return true;
}

namespace {

template <typename Done>
bool WaitUntil(Done done) {
    for (DWORD waited = 0; waited < kHostWaitMs; waited += 10) {
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

}  // namespace

bool RunningOnWine() {
    static const bool onWine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return onWine;
}

bool IsWineLink(const std::wstring& path, uint32_t& attributes) {
    if (!RunningOnWine()) return false;
    LastErrorKeeper keep;
    WIN32_FIND_DATAW entry{};
    if (!FindEntry(path, entry)) return false;
    attributes = entry.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    // A file link carries no reparse bit under Wine: it leads elsewhere than
    // its folder's entry of that name.
    const std::wstring full = FullPathName(path);
    const size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash + 1 == full.size()) return false;
    const std::wstring parent = FinalPath(full.substr(0, slash + 1));
    const std::wstring self = FinalPath(full);
    // Wine names an open file without the trailing dots and blanks of its
    // name ("d." is "d"), so the entry's name is taken that way too.
    std::wstring name = entry.cFileName;
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    return !parent.empty() && !self.empty() && !SameText(self, parent + L"\\" + name);
}

bool RemoveWineLink(const std::wstring& path) {
    const std::wstring unixName = UnixName(FullPathName(path));
    WIN32_FIND_DATAW entry{};
    // The name goes to the host's rm in quotes: one holding a quote is not sent.
    if (unixName.empty() || unixName.find(L'"') != std::wstring::npos ||
        !StartHostProgram(L"\\\\?\\unix\\bin\\rm", L"rm -f -- \"" + unixName + L"\"") ||
        !WaitUntil([&] { return !FindEntry(path, entry); })) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    ::SetLastError(ERROR_SUCCESS);
    return true;
}

}  // namespace setup::win32
