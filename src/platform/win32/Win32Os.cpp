#include "platform/win32/Win32Os.h"

#include <utility>
#include <vector>

#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Undef.h"

namespace setup {

namespace {

// Restores the last error when it leaves scope, so that clean-up after a
// call (freeing a converted string, closing a handle) cannot change it.
class LastErrorKeeper {
public:
    LastErrorKeeper() = default;
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;
    ~LastErrorKeeper() { ::SetLastError(error_); }
    void Take() { error_ = ::GetLastError(); }

private:
    DWORD error_ = 0;
};

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (Valid()) ::CloseHandle(h_);
    }
    bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
    }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    void** Out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

class HandleTextSink final : public TextSink {
public:
    explicit HandleTextSink(HANDLE h) : file_(h) {}
    void Write(std::string_view text) override {
        const char* data = text.data();
        size_t left = text.size();
        while (left > 0) {
            const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
            DWORD written = 0;
            if (!::WriteFile(file_.Get(), data, chunk, &written, nullptr) || written == 0) return;
            data += written;
            left -= written;
        }
    }

private:
    Handle file_;
};

// The predefined roots are sign-extended 32-bit values on 64-bit Windows;
// the program spells them as their 32-bit values.
HKEY ToHkey(RegKey key) {
    if (key >= 0x80000000u && key <= 0x800000FFu) {
        return reinterpret_cast<HKEY>(
            static_cast<LONG_PTR>(static_cast<LONG>(static_cast<uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
    return reinterpret_cast<RegKey>(key);
}

// Calls a W function on one path, keeping the last error it set.
template <typename Call>
auto OnPath(const std::string& path, Call call) {
    LastErrorKeeper keep;
    const std::wstring wide = Widen(path);
    const auto result = call(wide.c_str());
    keep.Take();
    return result;
}

// Runs a Get...W function of the "returns the length, or the size needed
// when the buffer is too small, or 0 on failure" kind until the text fits.
template <typename Call>
bool FetchText(Call call, std::wstring& out) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD n = call(&buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0) return false;
        if (n < buffer.size()) {
            buffer.resize(n);
            out = std::move(buffer);
            return true;
        }
        buffer.assign(n, L'\0');
    }
    return false;
}

// The same, for a caller that wants UTF-8; `out` untouched on failure.
template <typename Call>
bool FetchUtf8(Call call, std::string& out) {
    std::wstring wide;
    if (!FetchText(call, wide)) return false;
    out = Narrow(wide);
    return true;
}

// The folder part of a search pattern, made absolute, with one trailing
// backslash ("C:\" stays "C:\").
std::wstring SearchFolder(const std::wstring& pattern) {
    const size_t slash = pattern.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : pattern.substr(0, slash + 1);
    std::wstring full;
    const bool ok = FetchText(
        [&](wchar_t* buf, DWORD size) {
            return ::GetFullPathNameW(folder.c_str(), size, buf, nullptr);
        },
        full);
    if (!ok) full = folder;
    while (!full.empty() && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    full += L'\\';
    return full;
}

}  // namespace

uint32_t Win32Os::GetLastError() {
    return ::GetLastError();
}

void Win32Os::SetLastError(uint32_t error) {
    ::SetLastError(error);
}

bool Win32Os::CreateDirectory(const std::string& path) {
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof(security);
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = FALSE;
    const auto create = [&](const wchar_t* p) { return ::CreateDirectoryW(p, &security); };
    return OnPath(path, create) != FALSE;
}

bool Win32Os::RemoveDirectory(const std::string& path) {
    return OnPath(path, ::RemoveDirectoryW) != FALSE;
}

bool Win32Os::DeleteFile(const std::string& path) {
    return OnPath(path, ::DeleteFileW) != FALSE;
}

namespace {

// Wine running as root overwrites a read-only file; Windows refuses. true
// when the copy must be refused, with the last error Windows would give
// (it opens the source first, so a missing source still reports 2 or 3).
bool RefuseReadOnlyTarget(const std::wstring& source, const std::wstring& target,
                          bool failIfExists) {
    const DWORD targetAttributes = ::GetFileAttributesW(target.c_str());
    if (failIfExists || targetAttributes == INVALID_FILE_ATTRIBUTES ||
        (targetAttributes & FILE_ATTRIBUTE_READONLY) == 0 ||
        (targetAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    if (::GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ::SetLastError(ERROR_ACCESS_DENIED);
    }
    return true;
}

// Copies an open file in chunks, reporting after each one; false with the
// last error set when a read or write fails.
bool CopyChunks(HANDLE in, HANDLE out, uint64_t size, const std::function<void()>& progress) {
    constexpr uint64_t kChunk = 1u << 20;
    std::vector<char> buffer(static_cast<size_t>(size < kChunk ? (size > 0 ? size : 1) : kChunk));
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            return false;
        }
        if (got == 0) return true;
        DWORD written = 0;
        if (!::WriteFile(out, buffer.data(), got, &written, nullptr)) return false;
        if (written != got) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        if (progress) {
            // No exception may cross back into the copy.
            try {
                progress();
            } catch (...) {
            }
        }
    }
}

}  // namespace

bool Win32Os::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    LastErrorKeeper keep;
    const std::wstring source = Widen(from);
    const std::wstring target = Widen(to);
    if (RefuseReadOnlyTarget(source, target, failIfExists)) {
        keep.Take();
        return false;
    }
    const BOOL ok = ::CopyFileW(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE);
    keep.Take();
    return ok != FALSE;
}

bool Win32Os::CopyFileWithProgress(const std::string& from, const std::string& to,
                                   bool failIfExists, const std::function<void()>& progress) {
    // Wine's CopyFileExW never calls its progress routine, so the copy is
    // made here in chunks, with what CopyFile keeps: the source's attributes
    // and last-write time, failIfExists, and no partial file after a failure.
    LastErrorKeeper keep;
    const std::wstring source = Widen(from);
    const std::wstring target = Widen(to);
    if (RefuseReadOnlyTarget(source, target, failIfExists)) {
        keep.Take();
        return false;
    }
    Handle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!in.Valid() || !::GetFileInformationByHandle(in.Get(), &info)) {
        keep.Take();
        return false;
    }
    constexpr DWORD kCopied = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = info.dwFileAttributes & kCopied;
    const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    bool ok = false;
    {
        // Read-only only once written; the rest of the attributes from the start.
        const DWORD createAttributes = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        Handle out(::CreateFileW(
            target.c_str(), GENERIC_WRITE, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
            createAttributes != 0 ? createAttributes : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.Valid()) {
            keep.Take();
            return false;
        }
        ok = CopyChunks(in.Get(), out.Get(), size, progress) &&
             ::SetFileTime(out.Get(), nullptr, nullptr, &info.ftLastWriteTime);
        keep.Take();
    }
    if (!ok) {
        ::DeleteFileW(target.c_str());
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(target.c_str(), attributes);
    }
    ::SetLastError(ERROR_SUCCESS);
    keep.Take();
    return true;
}

uint32_t Win32Os::GetFileAttributes(const std::string& path) {
    return OnPath(path, ::GetFileAttributesW);
}

bool Win32Os::SetFileAttributes(const std::string& path, uint32_t attributes) {
    return OnPath(path, [&](const wchar_t* p) { return ::SetFileAttributesW(p, attributes); }) !=
           FALSE;
}

bool Win32Os::ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    LastErrorKeeper keep;
    const std::wstring wide = Widen(path);
    Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        keep.Take();
        return false;
    }
    std::string content;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0) {
        content.reserve(static_cast<size_t>(size.QuadPart));
    }
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr)) {
            keep.Take();
            return false;
        }
        if (got == 0) break;
        content.append(chunk, got);
    }
    bytes = std::move(content);
    ::SetLastError(ERROR_SUCCESS);
    keep.Take();
    return true;
}

std::unique_ptr<TextSink> Win32Os::CreateTextFile(const std::string& path) {
    const std::wstring wide = Widen(path);
    HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<HandleTextSink>(h);
}

bool Win32Os::GetCurrentDirectory(std::string& out) {
    LastErrorKeeper keep;
    const bool ok = FetchUtf8(
        [](wchar_t* buf, DWORD size) { return ::GetCurrentDirectoryW(size, buf); }, out);
    keep.Take();
    return ok;
}

bool Win32Os::SetCurrentDirectory(const std::string& path) {
    return OnPath(path, ::SetCurrentDirectoryW) != FALSE;
}

bool Win32Os::FindFiles(const std::string& pattern, std::vector<FindData>& out) {
    out.clear();
    LastErrorKeeper keep;
    const std::wstring wide = Widen(pattern);
    WIN32_FIND_DATAW data{};
    FindHandle find(::FindFirstFileW(wide.c_str(), &data));
    if (find.Get() == INVALID_HANDLE_VALUE) {
        keep.Take();
        return false;
    }
    const std::wstring folder = SearchFolder(wide);
    std::vector<FindData> found;
    do {
        FindData item;
        item.name = Narrow(data.cFileName, wcsnlen(data.cFileName, MAX_PATH));
        item.fullPath = Narrow(folder) + item.name;
        item.attributes = data.dwFileAttributes;
        item.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        found.push_back(std::move(item));
    } while (::FindNextFileW(find.Get(), &data));
    keep.Take();
    out = std::move(found);
    return true;
}

bool Win32Os::HasGetDiskFreeSpaceEx() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr && ::GetProcAddress(kernel, "GetDiskFreeSpaceExW") != nullptr;
}

bool Win32Os::GetDiskFreeSpaceEx(const std::string& path, uint64_t& freeBytesAvailable,
                                 uint64_t& totalBytes) {
    LastErrorKeeper keep;
    const std::wstring wide = Widen(path);
    ULARGE_INTEGER available{}, total{}, totalFree{};
    const BOOL ok = ::GetDiskFreeSpaceExW(wide.c_str(), &available, &total, &totalFree);
    keep.Take();
    if (!ok) return false;
    freeBytesAvailable = available.QuadPart;
    totalBytes = total.QuadPart;
    return true;
}

bool Win32Os::GetDiskFreeSpace(const std::string& root, uint32_t& sectorsPerCluster,
                               uint32_t& bytesPerSector, uint32_t& freeClusters,
                               uint32_t& totalClusters) {
    LastErrorKeeper keep;
    const std::wstring wide = Widen(root);
    DWORD sectors = 0, bytes = 0, freeCount = 0, totalCount = 0;
    const BOOL ok = ::GetDiskFreeSpaceW(wide.c_str(), &sectors, &bytes, &freeCount, &totalCount);
    keep.Take();
    if (!ok) return false;
    sectorsPerCluster = sectors;
    bytesPerSector = bytes;
    freeClusters = freeCount;
    totalClusters = totalCount;
    return true;
}

long Win32Os::RegOpenKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out) {
    const std::wstring wide = Widen(subKey);
    HKEY key = nullptr;
    const LONG result = ::RegOpenKeyExW(ToHkey(root), wide.c_str(), 0, access, &key);
    out = result == ERROR_SUCCESS ? FromHkey(key) : 0;
    return result;
}

long Win32Os::RegQueryValueEx(RegKey key, const std::string& valueName, uint32_t& type,
                              std::vector<uint8_t>& data, uint32_t maxBytes) {
    data.clear();
    const std::wstring wide = Widen(valueName);
    DWORD valueType = 0;
    DWORD size = 0;
    LONG result =
        ::RegQueryValueExW(ToHkey(key), wide.c_str(), nullptr, &valueType, nullptr, &size);
    if (result != ERROR_SUCCESS) return result;
    type = valueType;
    if (size > maxBytes) return ERROR_MORE_DATA;
    std::vector<uint8_t> bytes(size);
    result = ::RegQueryValueExW(ToHkey(key), wide.c_str(), nullptr, &valueType,
                                bytes.empty() ? nullptr : bytes.data(), &size);
    if (result != ERROR_SUCCESS) return result;
    // The value may have changed between the two calls.
    if (size > maxBytes) return ERROR_MORE_DATA;
    type = valueType;
    bytes.resize(size);
    data = std::move(bytes);
    return ERROR_SUCCESS;
}

long Win32Os::RegSetValueEx(RegKey key, const std::string& valueName, uint32_t type,
                            const uint8_t* data, uint32_t size) {
    const std::wstring wide = Widen(valueName);
    return ::RegSetValueExW(ToHkey(key), wide.c_str(), 0, type, data, size);
}

long Win32Os::RegCreateKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out,
                             uint32_t& disposition) {
    const std::wstring wide = Widen(subKey);
    wchar_t emptyClass[] = L"";
    HKEY key = nullptr;
    DWORD created = 0;
    const LONG result = ::RegCreateKeyExW(ToHkey(root), wide.c_str(), 0, emptyClass,
                                          REG_OPTION_NON_VOLATILE, access, nullptr, &key, &created);
    if (result != ERROR_SUCCESS) {
        out = 0;
        return result;
    }
    out = FromHkey(key);
    disposition = created;
    return result;
}

long Win32Os::RegDeleteKey(RegKey root, const std::string& subKey) {
    const std::wstring wide = Widen(subKey);
    return ::RegDeleteKeyW(ToHkey(root), wide.c_str());
}

long Win32Os::RegCloseKey(RegKey key) {
    return ::RegCloseKey(ToHkey(key));
}

bool Win32Os::ExpandEnvironmentStrings(const std::string& text, std::string& out) {
    LastErrorKeeper keep;
    const std::wstring wide = Widen(text);
    std::wstring buffer(wide.size() + MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD n = ::ExpandEnvironmentStringsW(wide.c_str(), &buffer[0],
                                                    static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            keep.Take();
            return false;
        }
        if (n <= buffer.size()) {
            buffer.resize(n - 1);  // n counts the terminator
            out = Narrow(buffer);
            keep.Take();
            return true;
        }
        buffer.assign(n, L'\0');
    }
    keep.Take();
    return false;
}

bool Win32Os::GetEnvironmentVariable(const std::string& name, std::string& out) {
    LastErrorKeeper keep;
    const std::wstring wide = Widen(name);
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 8; ++attempt) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n =
            ::GetEnvironmentVariableW(wide.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
        // 0 is also the length of a variable set to the empty text.
        if (n == 0 && ::GetLastError() != ERROR_SUCCESS) {
            keep.Take();
            return false;
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            out = Narrow(buffer);
            keep.Take();
            return true;
        }
        buffer.assign(n, L'\0');
    }
    keep.Take();
    return false;
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
    return FetchUtf8([](wchar_t* buf, UINT size) { return ::GetSystemDirectoryW(buf, size); },
                     out);
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
    const std::wstring description = Widen(link.description);
    const std::wstring arguments = Widen(link.arguments);
    const std::wstring directory = Widen(link.workingDirectory);
    const std::wstring iconFile = Widen(link.iconFile);
    // Each setting is made whatever the previous one returned. A value not
    // given is not set at all: a new link has none, and Wine's
    // SetWorkingDirectory(nullptr) reads the null pointer.
    shellLink->SetPath(target.c_str());
    if (link.hasDescription) shellLink->SetDescription(description.c_str());
    if (link.hasArguments) shellLink->SetArguments(arguments.c_str());
    if (link.hasWorkingDirectory) shellLink->SetWorkingDirectory(directory.c_str());
    if (link.hasIconFile || link.iconIndex != 0) {
        shellLink->SetIconLocation(link.hasIconFile ? iconFile.c_str() : nullptr, link.iconIndex);
    }
    shellLink->SetShowCmd(link.showCommand);

    const std::wstring path = Widen(linkPath);
    return persist->Save(path.c_str(), TRUE);
}

int32_t Win32Os::LoadShellLinkTarget(const std::string& linkPath, std::string& target) {
    ComPtr<IShellLinkW> shellLink;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    shellLink.Out());
    if (FAILED(hr)) return hr;
    ComPtr<IPersistFile> persist;
    hr = shellLink->QueryInterface(IID_IPersistFile, persist.Out());
    if (FAILED(hr)) return hr;
    const std::wstring path = Widen(linkPath);
    hr = persist->Load(path.c_str(), STGM_READ);
    if (FAILED(hr)) return hr;
    std::wstring buffer(32768, L'\0');
    hr = shellLink->GetPath(&buffer[0], static_cast<int>(buffer.size()), nullptr, 0);
    if (FAILED(hr)) return hr;
    target = Narrow(buffer.c_str(), wcsnlen(buffer.c_str(), buffer.size()));
    return hr;
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

}  // namespace setup
