// The only door to the operating system. One method per Win32 call the
// program makes; results keep their Win32 meaning (BOOL-like bools with the
// reason in GetLastError, LONG registry results, HRESULTs, attribute bits).
// Every text is UTF-8; the real implementation converts to UTF-16 and calls
// the W functions. No rule of the program lives here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// Win32 values the program relies on, spelled out so portable code needs no
// <windows.h>.
namespace win {
constexpr uint32_t ERROR_SUCCESS_ = 0;
constexpr uint32_t ERROR_FILE_NOT_FOUND_ = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND_ = 3;
constexpr uint32_t ERROR_ACCESS_DENIED_ = 5;
constexpr uint32_t ERROR_INVALID_HANDLE_ = 6;
constexpr uint32_t ERROR_NO_MORE_FILES_ = 18;
constexpr uint32_t ERROR_INVALID_PARAMETER_ = 87;
constexpr uint32_t ERROR_INSUFFICIENT_BUFFER_ = 122;
constexpr uint32_t ERROR_INVALID_NAME_ = 123;
constexpr uint32_t ERROR_DIR_NOT_EMPTY_ = 145;
constexpr uint32_t ERROR_ALREADY_EXISTS_ = 183;
constexpr uint32_t ERROR_FILE_EXISTS_ = 80;
constexpr uint32_t ERROR_MORE_DATA_ = 234;
constexpr uint32_t ERROR_KEY_DELETED_ = 1018;

constexpr uint32_t INVALID_FILE_ATTRIBUTES_ = 0xFFFFFFFFu;
constexpr uint32_t FILE_ATTRIBUTE_READONLY_ = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN_ = 0x02;
constexpr uint32_t FILE_ATTRIBUTE_SYSTEM_ = 0x04;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY_ = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE_ = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL_ = 0x80;
constexpr uint32_t FILE_ATTRIBUTE_REPARSE_POINT_ = 0x400;

constexpr uint32_t REG_NONE_ = 0;
constexpr uint32_t REG_SZ_ = 1;
constexpr uint32_t REG_EXPAND_SZ_ = 2;
constexpr uint32_t REG_BINARY_ = 3;
constexpr uint32_t REG_DWORD_ = 4;

constexpr uint32_t KEY_QUERY_VALUE_ = 0x0001;
constexpr uint32_t KEY_SET_VALUE_ = 0x0002;
constexpr uint32_t KEY_WRITE_ = 0x20006;
constexpr uint32_t KEY_READ_ = 0x20019;

constexpr uint32_t REG_CREATED_NEW_KEY_ = 1;
constexpr uint32_t REG_OPENED_EXISTING_KEY_ = 2;

constexpr uint32_t VER_PLATFORM_WIN32s_ = 0;
constexpr uint32_t VER_PLATFORM_WIN32_WINDOWS_ = 1;
constexpr uint32_t VER_PLATFORM_WIN32_NT_ = 2;

constexpr int32_t S_OK_ = 0;
constexpr int32_t S_FALSE_ = 1;
constexpr int32_t E_FAIL_ = static_cast<int32_t>(0x80004005u);
constexpr int32_t E_INVALIDARG_ = static_cast<int32_t>(0x80070057u);
constexpr int32_t CO_E_NOTINITIALIZED_ = static_cast<int32_t>(0x800401F0u);
constexpr int32_t HRESULT_PATH_NOT_FOUND_ = static_cast<int32_t>(0x80070003u);
constexpr int32_t HRESULT_ACCESS_DENIED_ = static_cast<int32_t>(0x80070005u);

constexpr int SW_HIDE_ = 0;
constexpr int SW_SHOWNORMAL_ = 1;
constexpr int SW_SHOW_ = 5;
}  // namespace win

// A registry key handle as the program sees it: the predefined roots have the
// Win32 values, every opened key is an opaque non-zero number.
using RegKey = uintptr_t;
constexpr RegKey HKEY_CLASSES_ROOT_ = 0x80000000u;
constexpr RegKey HKEY_CURRENT_USER_ = 0x80000001u;
constexpr RegKey HKEY_LOCAL_MACHINE_ = 0x80000002u;
constexpr RegKey HKEY_USERS_ = 0x80000003u;

// One match of a file search, as FindFirstFile/FindNextFile report it.
struct FindData {
    std::string name;      // the match's own name
    std::string fullPath;  // the search's folder made absolute, "\", name
    uint32_t attributes = 0;
    uint64_t size = 0;  // whole 64-bit size (nFileSizeHigh:nFileSizeLow)
};

// The identity the file system gives a file or folder: its volume's serial
// number and its file index. Two spellings of one place (case, a short name,
// a link on the way, a share alias) give the same identity.
struct FileIdentity {
    uint32_t volumeSerial = 0;
    uint64_t fileIndex = 0;
    bool operator==(const FileIdentity& o) const {
        return volumeSerial == o.volumeSerial && fileIndex == o.fileIndex;
    }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

// GetVersionEx's OSVERSIONINFO, the fields the program reads.
struct OsVersion {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0;
};

// A shortcut as IShellLink sets it up: a field without a value is not set
// (an empty text is still set).
struct ShellLinkData {
    std::string target;
    std::optional<std::string> description;
    std::optional<std::string> arguments;
    std::optional<std::string> workingDirectory;
    std::optional<std::string> iconFile;
    int iconIndex = 0;
    int showCommand = win::SW_SHOWNORMAL_;
};

// A file opened for appending text (the trace file). Writes are unbuffered
// enough that a crash loses at most the line being written.
class TextSink {
public:
    virtual ~TextSink() = default;
    virtual void Write(std::string_view text) = 0;
};

// Opaque handle of a named mutex; 0 means none.
using MutexHandle = uintptr_t;

class Os {
public:
    virtual ~Os() = default;

    // --- last error (GetLastError/SetLastError) ---
    virtual uint32_t GetLastError() = 0;
    virtual void SetLastError(uint32_t error) = 0;

    // --- files and folders ---
    // CreateDirectory with a SECURITY_ATTRIBUTES of its own size, no
    // descriptor, not inheritable. false: GetLastError says why (183 exists, 3 no parent).
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual bool RemoveDirectory(const std::string& path) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // A copy that reports progress, with the results and rules of the
    // system's CopyFile: a read-only destination refused with
    // ERROR_ACCESS_DENIED as Windows does (also where the platform underneath
    // would not), attributes and write time kept, no partial file left on
    // failure;
    // `progress` is called after each chunk and while a large copy is being
    // closed, so windows can be kept alive.
    virtual bool CopyFileWithProgress(const std::string& from, const std::string& to,
                                      bool failIfExists, const std::function<void()>& progress) = 0;
    // INVALID_FILE_ATTRIBUTES_ on failure, with the last error set.
    virtual uint32_t GetFileAttributes(const std::string& path) = 0;
    virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;
    // The whole content of a file, opened for reading. false: last error set,
    // out left empty.
    virtual bool ReadFile(const std::string& path, std::string& bytes) = 0;
    // Creates (or truncates) a file for writing text. null on failure.
    virtual std::unique_ptr<TextSink> CreateTextFile(const std::string& path) = 0;
    // CreateFile(path, 0, FILE_SHARE_READ|WRITE|DELETE, OPEN_EXISTING,
    // FILE_FLAG_BACKUP_SEMANTICS) - links on the way and at the end followed -
    // then GetFileInformationByHandle. false: last error (2, 3, ...), out untouched.
    virtual bool GetFileIdentity(const std::string& path, FileIdentity& out) = 0;
    // The same open, then GetFinalPathNameByHandleW(FILE_NAME_NORMALIZED |
    // VOLUME_NAME_DOS): every link resolved, each name as stored, in the long
    // form ("\\?\C:\..." or "\\?\UNC\server\share\..."). false: last error, out untouched.
    virtual bool GetFinalPathName(const std::string& path, std::string& out) = 0;
    // GetCurrentDirectory. false: out untouched.
    virtual bool GetCurrentDirectory(std::string& out) = 0;
    // SetCurrentDirectory. false: the last error says why.
    virtual bool SetCurrentDirectory(const std::string& path) = 0;

    // --- find ---
    // FindFirstFile + FindNextFile to the end, in the order the file system
    // delivers the matches ("." and ".." included where it delivers them).
    // false when nothing matches: last error 2 or 3 (or 18), out empty.
    virtual bool FindFiles(const std::string& pattern, std::vector<FindData>& out) = 0;

    // --- free space ---
    // Whether kernel32 exports GetDiskFreeSpaceExW (looked up on each call).
    virtual bool HasGetDiskFreeSpaceEx() = 0;
    // GetDiskFreeSpaceEx: bytes available to the caller and total bytes.
    // Outputs untouched on failure.
    virtual bool GetDiskFreeSpaceEx(const std::string& path, uint64_t& freeBytesAvailable,
                                    uint64_t& totalBytes) = 0;
    // GetDiskFreeSpace on a root ("C:\" or "\"). Outputs untouched on failure.
    virtual bool GetDiskFreeSpace(const std::string& root, uint32_t& sectorsPerCluster,
                                  uint32_t& bytesPerSector, uint32_t& freeClusters,
                                  uint32_t& totalClusters) = 0;

    // --- registry (results are Win32 LONG codes; 0 = ERROR_SUCCESS) ---
    // RegOpenKeyEx. out untouched on failure.
    virtual long RegOpenKeyEx(RegKey root, const std::string& subKey, uint32_t access,
                              RegKey& out) = 0;
    // RegQueryValueEx. data receives the value's raw bytes exactly as stored
    // (strings as UTF-16LE, terminator included only where the writer put
    // one); at most maxBytes of them, else ERROR_MORE_DATA and data empty.
    // On any failure data is empty; type is written once the value is found.
    virtual long RegQueryValueEx(RegKey key, const std::string& valueName, uint32_t& type,
                                 std::vector<uint8_t>& data, uint32_t maxBytes) = 0;
    // RegSetValueEx. The value holds exactly `size` bytes, a string too: no
    // terminator is added, whatever follows the data in memory.
    virtual long RegSetValueEx(RegKey key, const std::string& valueName, uint32_t type,
                               const uint8_t* data, uint32_t size) = 0;
    // RegCreateKeyEx with REG_OPTION_NON_VOLATILE, empty class, no security.
    // out and disposition untouched on failure.
    virtual long RegCreateKeyEx(RegKey root, const std::string& subKey, uint32_t access,
                                RegKey& out, uint32_t& disposition) = 0;
    virtual long RegDeleteKey(RegKey root, const std::string& subKey) = 0;
    // RegQueryInfoKey: how many subkeys and values the key holds (the key
    // opened for KEY_QUERY_VALUE). Outputs untouched on failure.
    virtual long RegQueryInfoKey(RegKey key, uint32_t& subKeys, uint32_t& values) = 0;
    virtual long RegCloseKey(RegKey key) = 0;

    // --- environment ---
    // ExpandEnvironmentStrings. false: out untouched.
    virtual bool ExpandEnvironmentStrings(const std::string& text, std::string& out) = 0;
    // GetEnvironmentVariable. false when the variable is not set (203), out
    // untouched; a variable set to the empty text is true and "".
    virtual bool GetEnvironmentVariable(const std::string& name, std::string& out) = 0;

    // --- version and system folders (false: out untouched) ---
    virtual bool GetVersionEx(OsVersion& out) = 0;
    virtual bool GetWindowsDirectory(std::string& out) = 0;
    virtual bool GetSystemDirectory(std::string& out) = 0;
    // The full path of this program's own file (GetModuleFileName of the
    // process's module), however long.
    virtual bool GetModuleFileName(std::string& out) = 0;

    // --- process ---
    // CreateMutex (no security, not owned). The last error tells whether it
    // existed already (183). 0 on failure.
    virtual MutexHandle CreateMutex(const std::string& name) = 0;
    virtual bool ReleaseMutex(MutexHandle mutex) = 0;
    virtual void CloseMutex(MutexHandle mutex) = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Starts the program `path` with `parameters` in `directory`, the file
    // to be deleted by the system once that process has ended (it holds the
    // only handle, opened delete-on-close). false: last error, nothing started.
    virtual bool StartDeletedOnExit(const std::string& path, const std::string& parameters,
                                    const std::string& directory) = 0;
    // ShellExecute on the desktop window; the result as an integer (> 32 ok).
    virtual intptr_t ShellExecute(const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int showCommand) = 0;

    // --- COM and shell links ---
    virtual int32_t CoInitialize() = 0;
    virtual void CoUninitialize() = 0;
    // CoCreateInstance(CLSID_ShellLink) + QueryInterface(IPersistFile), the
    // Set calls in order whatever they return, then IPersistFile::Save.
    // Returns the first failing HRESULT of create/query, else Save's.
    virtual int32_t SaveShellLink(const std::string& linkPath, const ShellLinkData& link) = 0;

    // --- text ---
    // MultiByteToWideChar(932) then to UTF-8. A byte sequence that is not
    // code page 932 becomes U+30FB, as Windows' default character for it.
    virtual std::string DecodeCp932(std::string_view bytes) = 0;
    // CompareStringOrdinal of the two texts as UTF-16: <0, 0 or >0. With
    // ignoreCase the system's own uppercase table is applied to each unit,
    // the rule the file system uses for names.
    virtual int CompareStringOrdinal(const std::string& a, const std::string& b,
                                     bool ignoreCase) = 0;
};

}  // namespace setup
