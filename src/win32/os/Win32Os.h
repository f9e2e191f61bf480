// The real Os: W functions of kernel32, advapi32, shell32 and ole32. The
// members are defined by area: Win32Files.cpp, Win32Registry.cpp,
// Win32Shell.cpp and Win32Process.cpp, which share Win32Support.h.
#pragma once

#include "seams/Os.h"

namespace setup {

class Win32Os : public Os {
public:
    // Win32Process.cpp
    uint32_t GetLastError() override;
    void SetLastError(uint32_t error) override;
    bool ExpandEnvironmentStrings(const std::string& text, std::string& out) override;
    bool GetEnvironmentVariable(const std::string& name, std::string& out) override;
    bool GetVersionEx(OsVersion& out) override;
    bool GetWindowsDirectory(std::string& out) override;
    bool GetSystemDirectory(std::string& out) override;
    bool GetModuleFileName(std::string& out) override;
    MutexHandle CreateMutex(const std::string& name) override;
    bool ReleaseMutex(MutexHandle mutex) override;
    void CloseMutex(MutexHandle mutex) override;
    void Sleep(uint32_t milliseconds) override;
    std::string DecodeCp932(std::string_view bytes) override;
    int CompareStringOrdinal(const std::string& a, const std::string& b, bool ignoreCase) override;

    // Win32Files.cpp
    bool CreateDirectory(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    bool CopyFileWithProgress(const std::string& from, const std::string& to, bool failIfExists,
                              const std::function<void()>& progress) override;
    uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
    bool ReadFile(const std::string& path, std::string& bytes) override;
    std::unique_ptr<TextSink> CreateTextFile(const std::string& path) override;
    bool GetFileIdentity(const std::string& path, FileIdentity& out) override;
    bool GetFinalPathName(const std::string& path, std::string& out) override;
    bool GetCurrentDirectory(std::string& out) override;
    bool SetCurrentDirectory(const std::string& path) override;
    bool FindFiles(const std::string& pattern, std::vector<FindData>& out) override;
    bool HasGetDiskFreeSpaceEx() override;
    bool GetDiskFreeSpaceEx(const std::string& path, uint64_t& freeBytesAvailable,
                            uint64_t& totalBytes) override;
    bool GetDiskFreeSpace(const std::string& root, uint32_t& sectorsPerCluster,
                          uint32_t& bytesPerSector, uint32_t& freeClusters,
                          uint32_t& totalClusters) override;

    // Win32Registry.cpp
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

    // Win32Shell.cpp
    bool StartDeletedOnExit(const std::string& path, const std::string& parameters,
                            const std::string& directory) override;
    intptr_t ShellExecute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCommand) override;
    int32_t CoInitialize() override;
    void CoUninitialize() override;
    int32_t SaveShellLink(const std::string& linkPath, const ShellLinkData& link) override;
};

// The copy behind CopyFileWithProgress. `afterChunk`, when there is one, is
// asked after each chunk is written with the bytes written so far; a
// non-zero answer fails the copy with that last error (a way to fail a copy
// half-way that only tests take).
using ChunkCheck = std::function<uint32_t(uint64_t bytesCopied)>;
bool CopyFileInChunks(const std::string& from, const std::string& to, bool failIfExists,
                      const std::function<void()>& progress, const ChunkCheck& afterChunk);

}  // namespace setup
