// The contract suite against the real Os. Scratch folders go under the
// user's temp folder, scratch keys under HKCU\Software\SetupContractTests;
// both are removed with everything in them after each test.
#include "OsContract.h"
#include "support/ShellLinkReader.h"
#include "support/TempTree.h"
#include "support/WineLinks.h"
#include "win32/os/Win32Links.h"
#include "win32/os/Win32Os.h"
#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"

namespace setup::contract {
namespace {

const wchar_t* const KEY_PARENT = L"Software\\SetupContractTests";

// The real Os with a copy that can be made to fail after its first chunk.
class FailingCopyOs final : public Win32Os {
public:
    uint32_t failAfterChunk = 0;

    bool CopyFileWithProgress(const std::string& from, const std::string& to, bool failIfExists,
                              const std::function<void()>& progress) override {
        const uint32_t error = failAfterChunk;
        failAfterChunk = 0;
        if (error == 0) return Win32Os::CopyFileWithProgress(from, to, failIfExists, progress);
        return CopyFileInChunks(from, to, failIfExists, progress,
                                [error](uint64_t) { return error; });
    }
};

class Win32Env : public ContractEnv {
public:
    Win32Env()
        : m_unique(std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_counter)),
          m_tree("SetupContract-" + m_unique) {
        m_savedDirectory.resize(32768);
        m_savedDirectory.resize(GetCurrentDirectoryW(32768, &m_savedDirectory[0]));

        m_key = Narrow(KEY_PARENT) + "\\" + m_unique;
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_CURRENT_USER, Widen(m_key).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr));
        if (key) ::RegCloseKey(key);
    }
    ~Win32Env() override {
        // The tree goes after this body; it cannot while it is the current folder.
        SetCurrentDirectoryW(m_savedDirectory.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(m_key).c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, Widen(m_key).c_str());
        // Succeeds only once the last test's key is gone.
        ::RegDeleteKeyW(HKEY_CURRENT_USER, KEY_PARENT);
        for (const std::wstring& name : m_variables) {
            SetEnvironmentVariableW(name.c_str(), nullptr);
        }
    }

    Os& os() override { return m_os; }
    const std::string& Folder() const override { return m_tree.Path(); }
    const std::string& Key() const override { return m_key; }
    const std::string& Unique() const override { return m_unique; }
    void SetVariable(const std::string& name, const std::string& value) override {
        m_variables.push_back(Widen(name));
        SetEnvironmentVariableW(m_variables.back().c_str(), Widen(value).c_str());
    }
    bool OnWine() const override { return win32::RunningOnWine(); }
    std::string MissingDrive() override {
        const DWORD drives = GetLogicalDrives();
        for (char letter = 'Y'; letter >= 'D'; --letter) {
            if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
        }
        ADD_FAILURE() << "every drive letter is in use";
        return "Q:";
    }
    void FailNextCopyAfterFirstChunk(uint32_t error) override { m_os.failAfterChunk = error; }
    bool SystemCopy(const std::string& from, const std::string& to) override {
        return ::CopyFileW(Widen(from).c_str(), Widen(to).c_str(), TRUE) != FALSE;
    }
    int32_t LoadShellLinkTarget(const std::string& linkPath, std::string& target) override {
        return setup::LoadShellLinkTarget(linkPath, target);
    }
    bool MakeLink(const std::string& link, const std::string& target) override {
        return win32::MakeTestLink(link, target);
    }

private:
    static inline int s_counter = 0;
    FailingCopyOs m_os;
    std::string m_unique;
    TempTree m_tree;
    std::wstring m_savedDirectory;
    std::string m_key;
    std::vector<std::wstring> m_variables;
};

std::unique_ptr<ContractEnv> MakeWin32Env() {
    return std::make_unique<Win32Env>();
}

INSTANTIATE_OS_CONTRACT(Win32, MakeWin32Env);

// What the chunked copy keeps beyond the shared contract: the source's
// last-write time, and the old target when it cannot even be opened.
TEST(Win32CopyFileWithProgress, KeepsTheTimeAndLeavesNoPartialCopy) {
    Win32Env env;
    const std::wstring from = Widen(env.Folder() + "\\old.bin");
    HANDLE file = CreateFileW(from.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::string bytes(3u << 20, 'x');
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FILETIME past{};
    SYSTEMTIME when{2001, 2, 0, 3, 4, 5, 6, 0};
    SystemTimeToFileTime(&when, &past);
    SetFileTime(file, nullptr, nullptr, &past);
    CloseHandle(file);

    const std::string to = env.Folder() + "\\new.bin";
    ASSERT_TRUE(env.os().CopyFileWithProgress(Narrow(from), to, false, nullptr));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(Widen(to).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(past.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(past.dwHighDateTime, data.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(bytes.size(), data.nFileSizeLow);

    // A target held open without sharing cannot be replaced; it keeps its bytes.
    HANDLE held = CreateFileW(Widen(to).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(env.os().CopyFileWithProgress(Narrow(from), to, false, nullptr));
    EXPECT_EQ(static_cast<uint32_t>(ERROR_SHARING_VIOLATION), env.os().GetLastError());
    CloseHandle(held);
    ASSERT_TRUE(GetFileAttributesExW(Widen(to).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(bytes.size(), data.nFileSizeLow);
}

// Wine has no classic limit of its own, so the long form is checked here,
// where Windows would refuse a long path without it.
TEST(Win32WidePath, LongPathsTakeTheLongForm) {
    EXPECT_EQ(L"C:\\short\\a.txt", win32::WidePath("C:\\short\\a.txt"));
    const std::string tail = "\\" + std::string(300, 'x') + "\\..\\a.txt";
    EXPECT_EQ(L"\\\\?\\C:\\deep\\a.txt", win32::WidePath("C:\\deep" + tail));
    EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\a.txt", win32::WidePath("\\\\server\\share" + tail));
    const std::wstring longForm = L"\\\\?\\C:\\" + std::wstring(300, L'y');
    EXPECT_EQ(longForm, win32::WidePath(Narrow(longForm)));
}

}  // namespace
}  // namespace setup::contract
