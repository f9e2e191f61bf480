// An in-memory Os with Windows semantics, for host tests of the program's
// logic. File system, registry, environment, mutexes, COM and shell links
// live in this object; every result is the Win32 one (error codes in
// GetLastError, LONG registry results, HRESULTs).
//
// File system: drive C: exists with an empty root plus C:\Windows and
// C:\Windows\system32 (what GetWindowsDirectory/GetSystemDirectory report).
// Names compare without case by the system's uppercase table (the one
// CompareStringOrdinal uses) and keep the case they were created with. Paths
// take "\" or "/", ".", "..", drive-relative and current-directory-relative
// forms (current directory "C:\" at start). The long form "\\?\C:\..." is
// taken literally, as Windows takes it: "/", "." and ".." are not resolved and
// a name keeps its trailing dots and blanks. Every node has an identity (the
// drive's serial number, an index given at creation) and a final path ("\\?\"
// and the names as created), both reached through links.
// FindFiles delivers "." and ".." first (not at a drive root), then the
// entries of the folder in the order they were created, so a test controls
// the enumeration order.
//
// Registry: the four predefined roots; the key HKCU\Software exists. Version
// (GetVersionEx) is NT 10.0 by default; with platform 1 (the 9x family)
// RegDeleteKey removes a whole subtree instead of refusing a key with
// subkeys. Only the NT rule is checked against the real Os (Wine deletes as
// NT does whatever version it reports); the 9x one is the fake's model of
// the documented 9x behaviour, which the program's 9x path is tested with.
//
// Links: a junction or symbolic link (AddLink) is an entry of its own with
// the reparse-point bit. A path through it reaches what it points to; the
// calls on the link's own path (attributes, find, RemoveDirectory,
// DeleteFile) act on the link, never on its target.
//
// Text sinks returned by CreateTextFile must not outlive the FakeOs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "seams/Os.h"
#include "support/Utf16.h"

namespace setup {

class FakeOs : public Os {
public:
    FakeOs();
    ~FakeOs() override;
    FakeOs(const FakeOs&) = delete;
    FakeOs& operator=(const FakeOs&) = delete;

    // --- Os ---
    uint32_t GetLastError() override { return m_lastError; }
    void SetLastError(uint32_t error) override { m_lastError = error; }
    bool CreateDirectory(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    // The system's plain copy, for tests to set up with; the program copies
    // only with progress.
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists);
    bool CopyFileWithProgress(const std::string& from, const std::string& to, bool failIfExists,
                              const std::function<void()>& progress) override;
    uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    std::unique_ptr<TextSink> CreateTextFile(const std::string& path) override;
    bool GetFileIdentity(const std::string& path, FileIdentity& out) override;
    bool GetFinalPathName(const std::string& path, std::string& out) override;
    bool GetCurrentDirectory(std::string& out) override {
        return Give("GetCurrentDirectory", m_currentDirectory, out);
    }
    bool SetCurrentDirectory(const std::string& path) override;
    bool FindFiles(const std::string& pattern, std::vector<FindData>& out) override;
    bool HasGetDiskFreeSpaceEx() override { return m_hasFreeSpaceEx; }
    bool GetDiskFreeSpaceEx(const std::string& path, uint64_t& freeBytesAvailable,
                            uint64_t& totalBytes) override;
    bool GetDiskFreeSpace(const std::string& root, uint32_t& sectorsPerCluster,
                          uint32_t& bytesPerSector, uint32_t& freeClusters,
                          uint32_t& totalClusters) override;
    long RegOpenKeyEx(RegKey root, const std::string& subKey, uint32_t access,
                      RegKey& out) override;
    long RegQueryValueEx(RegKey key, const std::string& valueName, uint32_t& type,
                         std::vector<uint8_t>& data, uint32_t maxBytes) override;
    long RegSetValueEx(RegKey key, const std::string& valueName, uint32_t type, const uint8_t* data,
                       uint32_t size) override;
    long RegCreateKeyEx(RegKey root, const std::string& subKey, uint32_t access, RegKey& out,
                        uint32_t& disposition) override;
    long RegDeleteKey(RegKey root, const std::string& subKey) override;
    long RegQueryInfoKey(RegKey key, uint32_t& subKeys, uint32_t& values) override;
    long RegCloseKey(RegKey key) override;
    bool ExpandEnvironmentStrings(const std::string& text, std::string& out) override;
    bool GetEnvironmentVariable(const std::string& name, std::string& out) override;
    bool GetVersionEx(OsVersion& out) override { return Give("GetVersionEx", m_version, out); }
    bool GetWindowsDirectory(std::string& out) override {
        return Give("GetWindowsDirectory", m_windowsDirectory, out);
    }
    bool GetSystemDirectory(std::string& out) override {
        return Give("GetSystemDirectory", m_systemDirectory, out);
    }
    bool GetModuleFileName(std::string& out) override {
        return Give("GetModuleFileName", modulePath, out);
    }
    MutexHandle CreateMutex(const std::string& name) override;
    bool ReleaseMutex(MutexHandle mutex) override;
    void CloseMutex(MutexHandle mutex) override { m_mutexes.erase(mutex); }
    void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
    // Records the start; the file goes at once, as the ended process's would.
    bool StartDeletedOnExit(const std::string& path, const std::string& parameters,
                            const std::string& directory) override;
    intptr_t ShellExecute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCommand) override;
    int32_t CoInitialize() override;
    void CoUninitialize() override;
    int32_t SaveShellLink(const std::string& linkPath, const ShellLinkData& link) override;
    std::string DecodeCp932(std::string_view bytes) override;
    int CompareStringOrdinal(const std::string& a, const std::string& b, bool ignoreCase) override;

    // --- injected failures ---
    // The next `count` calls of the Os method named `method` (e.g. "CopyFile",
    // "RegOpenKeyEx", "SaveShellLink") fail with `error`: bool methods return
    // false with it as last error, registry methods return it, HRESULT
    // methods return it as the HRESULT, ShellExecute returns it, CreateMutex
    // and CreateTextFile return null with it as last error. Nothing else
    // happens in a failed call, except in CopyFileWithProgress: its failure
    // strikes once writing began, so the copy's own checks come first and the
    // target (new or replaced) is gone afterwards, as after a real chunk failure.
    void FailNext(const std::string& method, uint32_t error, int count = 1) {
        m_failures.push_back(Failure{method, std::string(), error, count});
    }
    // Every call of `method` whose path argument (either one for CopyFile) is
    // `path` fails with `error` until ClearFailures.
    void FailPath(const std::string& method, const std::string& path, uint32_t error) {
        m_failures.push_back(Failure{method, Canonical(path), error, -1});
    }
    void ClearFailures() { m_failures.clear(); }
    // Runs first in every call that can be made to fail, with the method's
    // name and its path (a copy's target; empty for the registry): an error
    // it returns fails that call as FailNext would.
    std::function<std::optional<uint32_t>(const std::string& method, const std::string& path)>
        onCall;

    // --- file system set-up and inspection (paths as the Os methods take
    // them; missing parent folders are created) ---
    void AddDrive(char letter);
    void AddFolder(const std::string& path);
    void AddFile(const std::string& path, std::string_view content = {},
                 uint32_t attributes = win::FILE_ATTRIBUTE_ARCHIVE_);
    // A junction (target a folder) or file symbolic link at `path` to the
    // existing `target`.
    void AddLink(const std::string& path, const std::string& target);
    // The size FindFiles reports for a file, independent of its content.
    void SetFileSize(const std::string& path, uint64_t size);
    bool Exists(const std::string& path) const;
    bool IsFolder(const std::string& path) const;
    // The file's bytes; empty for a missing file.
    std::string FileContent(const std::string& path) const;
    // INVALID_FILE_ATTRIBUTES_ for a missing path.
    uint32_t Attributes(const std::string& path) const;
    // Names in a folder, in enumeration order ("." and ".." not included).
    std::vector<std::string> List(const std::string& folder) const;
    // The shortcut saved at `path` by SaveShellLink, if it is one.
    std::optional<ShellLinkData> LinkAt(const std::string& path) const;
    // Reads a saved shortcut's target back as the shell would: COM must be
    // initialised; a missing file gives HRESULT_FROM_WIN32 of its error, a
    // file that is no link E_FAIL. `target` untouched on failure.
    int32_t LoadShellLinkTarget(const std::string& linkPath, std::string& target);

    // Per-drive free space (GetDiskFreeSpaceEx and GetDiskFreeSpace).
    struct DiskSpace {
        uint64_t freeBytesAvailable = 10ull << 30;
        uint64_t totalBytes = 100ull << 30;
        uint32_t sectorsPerCluster = 8;
        uint32_t bytesPerSector = 512;
        uint32_t freeClusters = static_cast<uint32_t>((10ull << 30) / 4096);
        uint32_t totalClusters = static_cast<uint32_t>((100ull << 30) / 4096);
    };
    void SetDiskSpace(char drive, const DiskSpace& space) {
        m_space[static_cast<char>(drive & ~0x20)] = space;
    }
    // Whether kernel32 "exports" GetDiskFreeSpaceExW (default true). Without
    // it GetDiskFreeSpaceEx fails with 120 (not implemented).
    void SetHasGetDiskFreeSpaceEx(bool has) { m_hasFreeSpaceEx = has; }

    // --- registry set-up and inspection (keyPath relative to the root,
    // missing keys are created) ---
    struct RegValue {
        uint32_t type = win::REG_NONE_;
        std::vector<uint8_t> data;
        bool operator==(const RegValue& o) const { return type == o.type && data == o.data; }
    };
    void AddKey(RegKey root, const std::string& keyPath);
    bool KeyExists(RegKey root, const std::string& keyPath) const { return KeyAt(root, keyPath); }
    // REG_SZ / REG_EXPAND_SZ stored as UTF-16LE, with the two zero bytes of
    // the terminator or without them.
    void SetString(RegKey root, const std::string& keyPath, const std::string& name,
                   const std::string& value, bool terminator = true) {
        SetValue(root, keyPath, name, win::REG_SZ_, Utf16Bytes(value, terminator));
    }
    void SetExpandString(RegKey root, const std::string& keyPath, const std::string& name,
                         const std::string& value, bool terminator = true) {
        SetValue(root, keyPath, name, win::REG_EXPAND_SZ_, Utf16Bytes(value, terminator));
    }
    void SetValue(RegKey root, const std::string& keyPath, const std::string& name, uint32_t type,
                  std::vector<uint8_t> data);
    std::optional<RegValue> ValueOf(RegKey root, const std::string& keyPath,
                                    const std::string& name) const;
    // A REG_SZ/REG_EXPAND_SZ value decoded to UTF-8, up to its first NUL.
    std::optional<std::string> StringOf(RegKey root, const std::string& keyPath,
                                        const std::string& name) const;
    // Subkey names of a key, in creation order.
    std::vector<std::string> SubKeys(RegKey root, const std::string& keyPath) const;
    // Handles opened or created and not closed yet.
    int OpenKeyCount() const { return static_cast<int>(m_openKeys.size()); }

    // --- environment, version, folders ---
    // Starts with SystemRoot, windir, SystemDrive, USERPROFILE, ProgramFiles.
    void SetEnv(const std::string& name, const std::string& value);
    void SetVersion(const OsVersion& version) { m_version = version; }
    void SetWindowsDirectoryPath(const std::string& path) { m_windowsDirectory = path; }
    std::string modulePath = "C:\\Media\\Setup.exe";  // what GetModuleFileName gives
    void SetSystemDirectoryPath(const std::string& path) { m_systemDirectory = path; }

    // --- mutexes ---
    // A mutex of that name that another process holds open.
    void HoldMutexElsewhere(const std::string& name);
    int OpenMutexCount() const { return static_cast<int>(m_mutexes.size()); }

    // --- COM ---
    int ComInitCount() const { return m_comInitCount; }

    // --- records ---
    struct ShellExecuteCall {
        std::string verb, file, parameters, directory;
        int showCommand = 0;
        bool operator==(const ShellExecuteCall& o) const {
            return verb == o.verb && file == o.file && parameters == o.parameters &&
                   directory == o.directory && showCommand == o.showCommand;
        }
    };
    std::vector<uint32_t> sleeps;  // every Sleep, in milliseconds
    int copyProgressReports = 0;   // progress calls made by CopyFileWithProgress
    std::vector<ShellExecuteCall> shellExecuteCalls;
    std::vector<std::string> startedDeletedOnExit;  // "path parameters"
    intptr_t shellExecuteResult = 42;

private:
    struct Node;
    struct Key;
    struct Path;
    struct Lookup;
    struct OpenKey {
        RegKey root;
        std::vector<std::string> path;
        uint32_t access;
    };
    class Sink;

    std::optional<uint32_t> TakeFailure(const char* method, const std::string& path = {},
                                        const std::string& path2 = {});
    // Sets the last error; gives what the failed call returns.
    template <typename T = bool>
    T Fail(uint32_t error, T result = T()) {
        m_lastError = error;
        return result;
    }
    bool Remove(const char* method, const std::string& path, bool folder);
    uint32_t OpenToQuery(const char* method, const std::string& path, Node*& node);
    // A getter's answer: `value`, unless a failure was injected.
    template <typename T>
    bool Give(const char* method, const T& value, T& out) {
        if (auto error = TakeFailure(method)) return Fail(*error);
        out = value;
        return true;
    }
    uint32_t Rewrite(const std::string& path, Lookup& found);
    bool Parse(const std::string& path, Path& out) const;
    Lookup Find(const std::string& path) const;
    Node* Resolve(Node* node, int depth = 0) const;
    Node* EnsureFolder(const std::string& path, Path& parsed, bool parentOf);
    Node* FileNode(const std::string& path) const;
    std::string Display(const Path& path) const;
    std::string Canonical(const std::string& path) const;

    Key* RootKey(RegKey root) const;
    Key* KeyAt(RegKey root, const std::string& keyPath) const;
    OpenKey FullPath(RegKey handle, const std::string& subKey, uint32_t access) const;
    // The key behind a handle, or the error a call on it gets: 6 for an
    // unknown handle, 1018 for a deleted key, 5 when the handle was not
    // opened for `access` (0: any).
    long KeyOf(RegKey handle, uint32_t access, Key*& key) const;
    long NewHandle(RegKey root, const std::string& subKey, uint32_t access, RegKey& out);

    uint32_t m_lastError = 0;
    std::map<char, std::unique_ptr<Node>> m_drives;
    std::string m_currentDirectory = "C:\\";
    std::map<char, DiskSpace> m_space;
    bool m_hasFreeSpaceEx = true;

    std::map<RegKey, std::unique_ptr<Key>> m_roots;
    std::map<RegKey, OpenKey> m_openKeys;
    RegKey m_nextKey = 0x1000;

    std::map<std::string, std::string> m_env;  // folded name -> value
    OsVersion m_version{10, 0, 19045, win::VER_PLATFORM_WIN32_NT_};
    std::string m_windowsDirectory = "C:\\Windows";
    std::string m_systemDirectory = "C:\\Windows\\system32";

    std::map<MutexHandle, std::string> m_mutexes;  // handle -> folded name
    std::set<std::string> m_heldElsewhere;         // folded names
    MutexHandle m_nextMutex = 0x100;

    int m_comInitCount = 0;

    struct Failure {
        std::string method;
        std::string path;  // canonical; empty: FailNext
        uint32_t error;
        int count;  // -1: until cleared
    };
    std::vector<Failure> m_failures;
};

}  // namespace setup
