// A scratch folder for the Windows-side tests: <user temp>\<name>, in long-path
// form (what the Os reports back for it), created on construction and removed
// with everything in it, read-only entries included, on destruction; links
// inside go as links, what they lead to stays.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "win32/os/Win32Links.h"
#include "win32/os/Win32Text.h"
#include "win32/os/Win32Undef.h"

namespace setup {

class TempTree {
public:
    // A leftover of an earlier, crashed run under the same name is removed first.
    explicit TempTree(const std::string& name) : m_pathW(TempFolder() + L"\\" + Widen(name)) {
        Remove(m_pathW);
        m_path = Narrow(m_pathW);
        EXPECT_TRUE(::CreateDirectoryW(m_pathW.c_str(), nullptr))
            << m_path << ": error " << ::GetLastError();
    }
    ~TempTree() { Remove(m_pathW); }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The folder in UTF-8, or a path inside it.
    const std::string& Path() const { return m_path; }
    std::string Path(const std::string& relative) const { return m_path + "\\" + relative; }
    const std::wstring& WidePath() const { return m_pathW; }

    // Creates a folder inside the tree (its parent must exist).
    void Folder(const std::string& relative) const {
        EXPECT_TRUE(::CreateDirectoryW(Widen(Path(relative)).c_str(), nullptr))
            << relative << ": error " << ::GetLastError();
    }

    // Writes a file inside the tree, replacing any file of that name, and gives
    // it `attributes` (read-only, say).
    void Put(const std::string& relative, const std::string& bytes,
             DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        const std::string path = Path(relative);
        HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << path << ": error " << ::GetLastError();
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
        EXPECT_EQ(bytes.size(), written) << path;
        EXPECT_TRUE(::SetFileAttributesW(Widen(path).c_str(), attributes)) << path;
    }
    DWORD Attributes(const std::string& relative) const {
        return ::GetFileAttributesW(Widen(Path(relative)).c_str());
    }

    // The user's temp folder, long form, without a trailing backslash: a short
    // (8.3) form would not compare equal to the paths the Os reports.
    static std::wstring TempFolder() {
        std::wstring temp(MAX_PATH + 1, L'\0');
        temp.resize(::GetTempPathW(MAX_PATH + 1, &temp[0]));
        std::wstring longer(32768, L'\0');
        const DWORD n = ::GetLongPathNameW(temp.c_str(), &longer[0], 32768);
        if (n > 0 && n < 32768) temp.assign(longer.c_str(), n);
        while (!temp.empty() && temp.back() == L'\\') temp.pop_back();
        return temp;
    }

    // Removes a folder and everything in it, read-only entries included.
    // Links go first: once its target is gone, Wine no longer lists a link.
    static void Remove(const std::wstring& folder) {
        for (const bool links : {true, false}) {
            WIN32_FIND_DATAW data;
            HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
            if (find == INVALID_HANDLE_VALUE) break;
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                uint32_t linkAttributes = 0;
                if (win32::IsWineLink(path, linkAttributes)) {
                    if (links) win32::RemoveWineLink(path);  // Wine would delete what it leads to
                    continue;
                }
                if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    if (!links) continue;
                    ::RemoveDirectoryW(path.c_str());  // a link goes as itself, never followed
                    ::DeleteFileW(path.c_str());
                    continue;
                }
                if (links) continue;
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(path);
                } else {
                    ::DeleteFileW(path.c_str());
                }
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
        ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RemoveDirectoryW(folder.c_str());
    }

private:
    std::wstring m_pathW;
    std::string m_path;
};

}  // namespace setup
