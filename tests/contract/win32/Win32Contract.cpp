// The contract suite against the real Os. Scratch folders go under the
// user's temp folder, scratch keys under HKCU\Software\SetupContractTests;
// both are removed with everything in them after each test.
#include "OsContract.h"
#include "platform/win32/Win32Os.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Undef.h"

namespace setup::contract {
namespace {

const wchar_t* const KEY_PARENT = L"Software\\SetupContractTests";

// Removes a folder tree, read-only entries included.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring temp(buffer, length);
    // A short (8.3) temp path would not compare equal to what the Os reports.
    wchar_t longer[32768];
    const DWORD longLength = GetLongPathNameW(temp.c_str(), longer, 32768);
    if (longLength > 0 && longLength < 32768) temp.assign(longer, longLength);
    while (!temp.empty() && temp.back() == L'\\') temp.pop_back();
    return temp;
}

class Win32Env : public ContractEnv {
public:
    Win32Env() {
        static int counter = 0;
        m_unique = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        m_savedDirectory.resize(32768);
        m_savedDirectory.resize(GetCurrentDirectoryW(32768, &m_savedDirectory[0]));

        m_folderW = TempFolder() + L"\\SetupContract-" + Widen(m_unique);
        RemoveTree(m_folderW);
        EXPECT_TRUE(CreateDirectoryW(m_folderW.c_str(), nullptr)) << ::GetLastError();
        m_folder = Narrow(m_folderW);

        m_key = Narrow(KEY_PARENT) + "\\" + m_unique;
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_CURRENT_USER, Widen(m_key).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr));
        if (key) ::RegCloseKey(key);
    }
    ~Win32Env() override {
        SetCurrentDirectoryW(m_savedDirectory.c_str());
        RemoveTree(m_folderW);
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(m_key).c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, Widen(m_key).c_str());
        // Succeeds only once the last test's key is gone.
        ::RegDeleteKeyW(HKEY_CURRENT_USER, KEY_PARENT);
        for (const std::wstring& name : m_variables) {
            SetEnvironmentVariableW(name.c_str(), nullptr);
        }
    }

    Os& os() override { return m_os; }
    const std::string& Folder() const override { return m_folder; }
    const std::string& Key() const override { return m_key; }
    const std::string& Unique() const override { return m_unique; }
    void SetVariable(const std::string& name, const std::string& value) override {
        m_variables.push_back(Widen(name));
        SetEnvironmentVariableW(m_variables.back().c_str(), Widen(value).c_str());
    }
    std::string MissingDrive() override {
        const DWORD drives = GetLogicalDrives();
        for (char letter = 'Y'; letter >= 'D'; --letter) {
            if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
        }
        ADD_FAILURE() << "every drive letter is in use";
        return "Q:";
    }

private:
    Win32Os m_os;
    std::wstring m_savedDirectory;
    std::wstring m_folderW;
    std::string m_folder;
    std::string m_key;
    std::string m_unique;
    std::vector<std::wstring> m_variables;
};

std::unique_ptr<ContractEnv> MakeWin32Env() {
    return std::make_unique<Win32Env>();
}

INSTANTIATE_OS_CONTRACT(Win32, MakeWin32Env);

// What the chunked copy keeps beyond the shared contract: the source's
// last-write time, and no partial file when the target cannot be written.
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

}  // namespace
}  // namespace setup::contract
