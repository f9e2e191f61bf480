// A Windows machine in memory: an Os with Windows' rules, on which the
// program's own engines run without touching the system underneath. The
// author's checker installs and uninstalls on it; the host tests run the
// program's logic on it (tests/fakes/FakeOs adds the failures and records
// only they need). File system, registry, environment, mutexes, COM and shell
// links live in this object; every result is the Win32 one (error codes in
// GetLastError, LONG registry results, HRESULTs). The Os contract suite holds
// each rule against the real layer.
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
// Text sinks returned by CreateTextFile must not outlive the SimulatedOs. A
// set-up call (AddFile, AddLink, ...) that names no place the machine can
// hold throws std::invalid_argument.
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
#include "core/Utf16.h"

namespace setup {

// The rules of text the simulated machine takes from the system it runs on.
class SimulatedText {
public:
    virtual ~SimulatedText() = default;
    // The file system's uppercase of each of the 65,536 UTF-16 units: names
    // compare equal when their uppercase is.
    virtual const std::u16string& UpperTable() const = 0;
    // The character code page 932 gives a lead and a trail byte; 0 for a
    // pair it gives none.
    virtual char16_t DoubleByte(uint8_t lead, uint8_t trail) const = 0;
};

class SimulatedOs : public Os {
public:
    // `text` must outlive the machine.
    explicit SimulatedOs(const SimulatedText& text);
    ~SimulatedOs() override;
    SimulatedOs(const SimulatedOs&) = delete;
    SimulatedOs& operator=(const SimulatedOs&) = delete;

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
    void Sleep(uint32_t) override {}
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
    // AddFile and SetFileSize in one.
    void AddFile(const std::string& path, uint64_t size) {
        AddSizedFile(path, {}, size, win::FILE_ATTRIBUTE_ARCHIVE_);
    }
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
    // Value names of a key, in creation order.
    std::vector<std::string> ValueNames(RegKey root, const std::string& keyPath) const;
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

    // The programs started by StartDeletedOnExit: "path parameters".
    std::vector<std::string> startedDeletedOnExit;

protected:
    // Runs first in every call that can fail, with the method's name and its
    // paths (none for the registry): an error it gives fails that call with
    // it, and nothing else happens. The machine itself fails no call.
    virtual std::optional<uint32_t> TakeFailure(const char* method, const std::string& path = {},
                                                const std::string& path2 = {});
    // A path as the machine compares it: absolute, resolved, uppercase.
    std::string Canonical(const std::string& path) const;
    template <typename T = bool>
    T Fail(uint32_t error, T result = T()) {
        m_lastError = error;
        return result;
    }

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
    void AddSizedFile(const std::string& path, std::string_view content,
                      std::optional<uint64_t> size, uint32_t attributes);
    bool Parse(const std::string& path, Path& out) const;
    Lookup Find(const std::string& path) const;
    Node* Resolve(Node* node, int depth = 0) const;
    Node* EnsureFolder(const std::string& path, Path& parsed, bool parentOf);
    Node* FileNode(const std::string& path) const;
    std::string Display(const Path& path) const;

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
    const SimulatedText& m_text;
};

}  // namespace setup
