// What FakeOs offers beyond the contract: the set-up helpers, the failure
// injection and the records other tests build on.
#include <gtest/gtest.h>

#include "fakes/FakeOs.h"

namespace setup {
namespace {

using namespace win;

std::vector<std::string> Names(const std::vector<FindData>& found) {
    std::vector<std::string> names;
    for (const FindData& data : found) names.push_back(data.name);
    return names;
}

TEST(FakeOs, PathsResolveAsOnWindows) {
    FakeOs os;
    os.AddFile("C:\\Program Files\\App\\Readme.TXT", "hello");
    EXPECT_TRUE(os.IsFolder("C:\\Program Files\\App\\"));
    ASSERT_TRUE(os.SetCurrentDirectory("c:\\program files"));
    std::string current;
    ASSERT_TRUE(os.GetCurrentDirectory(current));
    EXPECT_EQ("c:\\program files", current);  // as given, like Windows
    for (const char* path :
         {"c:/program files/APP/readme.txt", "C:\\Program Files\\Other\\..\\App\\.\\Readme.txt.",
          "App\\Readme.txt", "C:App\\Readme.txt", "\\Program Files\\App\\Readme.txt"}) {
        EXPECT_EQ("hello", os.FileContent(path)) << path;
    }

    // The current folder is held open.
    os.AddFolder("C:\\Empty");
    ASSERT_TRUE(os.SetCurrentDirectory("..\\Empty"));
    EXPECT_FALSE(os.RemoveDirectory("C:\\Program Files\\..\\EMPTY"));
    EXPECT_EQ(32u, os.GetLastError());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES_, os.GetFileAttributes("C:\\bad|name"));
    EXPECT_EQ(ERROR_INVALID_NAME_, os.GetLastError());

    os.AddDrive('d');
    EXPECT_TRUE(os.CreateDirectory("D:\\Data"));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY_, os.Attributes("d:\\data"));
}

TEST(FakeOs, FindDeliversInCreationOrder) {
    FakeOs os;
    os.AddFile("C:\\Media\\z.bin", "");
    os.AddFolder("C:\\Media\\Sub");
    os.AddFile("C:\\Media\\a.txt", "abc", FILE_ATTRIBUTE_READONLY_ | FILE_ATTRIBUTE_ARCHIVE_);
    os.AddFile("C:\\Media\\Makefile", "");
    os.SetFileSize("C:\\Media\\z.bin", 5000000000ull);

    std::vector<FindData> found;
    ASSERT_TRUE(os.FindFiles("C:\\Media\\*.*", found));
    EXPECT_EQ((std::vector<std::string>{".", "..", "z.bin", "Sub", "a.txt", "Makefile"}),
              Names(found));
    EXPECT_EQ(5000000000ull, found[2].size);
    EXPECT_EQ("C:\\Media\\z.bin", found[2].fullPath);
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY_ | FILE_ATTRIBUTE_ARCHIVE_, found[4].attributes);

    ASSERT_TRUE(os.FindFiles("C:\\Media\\*.", found));
    EXPECT_EQ((std::vector<std::string>{".", "..", "Sub", "Makefile"}), Names(found));

    // A drive root has no "." and ".."; names there get one backslash.
    ASSERT_TRUE(os.FindFiles("C:\\*", found));
    EXPECT_EQ((std::vector<std::string>{"Windows", "Media"}), Names(found));
    EXPECT_EQ("C:\\Media", found[1].fullPath);
    ASSERT_TRUE(os.FindFiles("C:*", found));  // the current folder of C:, its root here
    EXPECT_EQ((std::vector<std::string>{"Windows", "Media"}), Names(found));
    ASSERT_TRUE(os.FindFiles("c:\\media", found));
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ("Media", found[0].name);
    EXPECT_EQ("c:\\Media", found[0].fullPath);
}

TEST(FakeOs, FileOperationsKeepWindowsAttributes) {
    FakeOs os;
    os.AddFile("C:\\src\\a.txt", "new", FILE_ATTRIBUTE_NORMAL_);
    ASSERT_TRUE(os.CopyFile("C:\\src\\a.txt", "C:\\src\\b.txt", true));
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE_, os.Attributes("C:\\src\\b.txt"));

    ASSERT_TRUE(os.SetFileAttributes("C:\\src\\b.txt", 0));
    EXPECT_EQ(FILE_ATTRIBUTE_NORMAL_, os.Attributes("C:\\src\\b.txt"));
    ASSERT_TRUE(os.SetFileAttributes("C:\\src", FILE_ATTRIBUTE_HIDDEN_ | FILE_ATTRIBUTE_NORMAL_));
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN_ | FILE_ATTRIBUTE_DIRECTORY_, os.Attributes("C:\\src"));

    EXPECT_FALSE(os.CopyFile("C:\\src\\a.txt", "C:\\SRC\\A.TXT", false));
    EXPECT_EQ(32u, os.GetLastError());
    EXPECT_FALSE(os.CopyFile("C:\\src\\a.txt", "C:\\src", false));
    EXPECT_EQ(ERROR_ACCESS_DENIED_, os.GetLastError());

    auto sink = os.CreateTextFile("C:\\src\\trace.log");
    ASSERT_TRUE(sink);
    sink->Write("one\r\n");
    sink->Write("two\r\n");
    EXPECT_EQ("one\r\ntwo\r\n", os.FileContent("C:\\src\\trace.log"));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "trace.log"}), os.List("C:\\src"));
}

TEST(FakeOs, InjectedFailures) {
    FakeOs os;
    os.AddFile("C:\\a.txt", "x");
    os.FailNext("DeleteFile", 32, 2);
    EXPECT_FALSE(os.DeleteFile("C:\\a.txt"));
    EXPECT_EQ(32u, os.GetLastError());
    EXPECT_FALSE(os.DeleteFile("C:\\a.txt"));
    EXPECT_TRUE(os.Exists("C:\\a.txt"));
    EXPECT_TRUE(os.DeleteFile("C:\\a.txt"));

    os.AddFile("C:\\dir\\one.txt", "1");
    os.AddFile("C:\\dir\\two.txt", "2");
    os.FailPath("CopyFile", "c:/DIR/two.txt", ERROR_ACCESS_DENIED_);
    EXPECT_TRUE(os.CopyFile("C:\\dir\\one.txt", "C:\\one.txt", false));
    EXPECT_FALSE(os.CopyFile("C:\\dir\\two.txt", "C:\\two.txt", false));
    EXPECT_FALSE(os.CopyFile("C:\\dir\\two.txt", "C:\\two.txt", false));
    EXPECT_EQ(ERROR_ACCESS_DENIED_, os.GetLastError());
    os.ClearFailures();
    EXPECT_TRUE(os.CopyFile("C:\\dir\\two.txt", "C:\\two.txt", false));

    RegKey key = 0;
    os.FailNext("RegOpenKeyEx", ERROR_ACCESS_DENIED_);
    EXPECT_EQ(long(ERROR_ACCESS_DENIED_),
              os.RegOpenKeyEx(HKEY_CURRENT_USER_, "Software", KEY_READ_, key));
    EXPECT_EQ(0, os.OpenKeyCount());

    os.FailNext("SaveShellLink", static_cast<uint32_t>(E_FAIL_));
    os.CoInitialize();
    EXPECT_EQ(E_FAIL_, os.SaveShellLink("C:\\x.lnk", ShellLinkData{}));
    EXPECT_FALSE(os.Exists("C:\\x.lnk"));
}

TEST(FakeOs, RegistryHelpersAndHandles) {
    FakeOs os;
    os.SetString(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Maker\\App", "Path", "C:\\アプリ", false);
    os.SetExpandString(HKEY_CURRENT_USER_, "Env", "Dir", "%windir%\\x");
    os.SetValue(HKEY_CURRENT_USER_, "Env", "Count", REG_DWORD_, {3, 0, 0, 0});
    EXPECT_EQ(FakeOs::RegValue({REG_DWORD_, {3, 0, 0, 0}}),
              os.ValueOf(HKEY_CURRENT_USER_, "env", "COUNT"));
    EXPECT_EQ("%windir%\\x", os.StringOf(HKEY_CURRENT_USER_, "Env", "Dir"));
    EXPECT_EQ(12u, os.ValueOf(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Maker\\App", "Path")->data.size());

    RegKey key = 0;
    ASSERT_EQ(0, os.RegOpenKeyEx(HKEY_LOCAL_MACHINE_, "software\\maker", KEY_READ_, key));
    RegKey app = 0;
    ASSERT_EQ(0, os.RegOpenKeyEx(key, "App", KEY_READ_, app));
    EXPECT_EQ(2, os.OpenKeyCount());

    // The NT family refuses to delete a key with subkeys; 9x removes the tree.
    EXPECT_EQ(long(ERROR_ACCESS_DENIED_), os.RegDeleteKey(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Maker"));
    EXPECT_EQ(long(ERROR_ACCESS_DENIED_), os.RegDeleteKey(HKEY_LOCAL_MACHINE_, ""));  // a root
    os.SetVersion(OsVersion{4, 10, 1998, VER_PLATFORM_WIN32_WINDOWS_});
    EXPECT_EQ(0, os.RegDeleteKey(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Maker"));
    EXPECT_FALSE(os.KeyExists(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Maker\\App"));

    uint32_t type = 0;
    std::vector<uint8_t> data;
    EXPECT_EQ(long(ERROR_KEY_DELETED_), os.RegQueryValueEx(app, "Path", type, data, 100));
    EXPECT_EQ(0, os.RegCloseKey(app));
    EXPECT_EQ(0, os.RegCloseKey(key));
    EXPECT_EQ(long(ERROR_INVALID_HANDLE_), os.RegCloseKey(key));
    EXPECT_EQ(0, os.OpenKeyCount());
}

TEST(FakeOs, FreeSpaceConfiguration) {
    FakeOs os;
    // Free and total bytes; sectors per cluster, bytes per sector, free and total clusters.
    os.SetDiskSpace('c', FakeOs::DiskSpace{123, 6000000000ull, 1, 2048, 7, 9});

    uint64_t available = 0, total = 0;
    ASSERT_TRUE(os.GetDiskFreeSpaceEx("C:\\Windows", available, total));
    EXPECT_EQ(123u, available);
    EXPECT_EQ(6000000000ull, total);
    EXPECT_FALSE(os.GetDiskFreeSpaceEx("C:\\missing", available, total));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND_, os.GetLastError());

    uint32_t sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(os.GetDiskFreeSpace("\\", sectors, bytes, freeClusters, clusters));
    EXPECT_EQ(2048u, bytes);
    EXPECT_EQ(7u, freeClusters);

    os.SetHasGetDiskFreeSpaceEx(false);
    EXPECT_FALSE(os.HasGetDiskFreeSpaceEx());
}

TEST(FakeOs, ProcessRecordsAndMutexes) {
    FakeOs os;
    os.HoldMutexElsewhere("VIVADU");
    const MutexHandle mutex = os.CreateMutex("vivadu");
    EXPECT_NE(0u, mutex);
    EXPECT_EQ(ERROR_ALREADY_EXISTS_, os.GetLastError());
    EXPECT_EQ(1, os.OpenMutexCount());
    os.CloseMutex(mutex);
    EXPECT_EQ(0, os.OpenMutexCount());
    os.FailNext("CreateMutex", ERROR_ACCESS_DENIED_);
    EXPECT_EQ(0u, os.CreateMutex("vivadu"));
    EXPECT_EQ(ERROR_ACCESS_DENIED_, os.GetLastError());

    os.Sleep(500);
    os.Sleep(0);
    EXPECT_EQ((std::vector<uint32_t>{500, 0}), os.sleeps);

    os.shellExecuteResult = 2;
    EXPECT_EQ(2, os.ShellExecute("open", "C:\\App\\app.exe", "/x", "C:\\App", SW_SHOW_));
    ASSERT_EQ(1u, os.shellExecuteCalls.size());
    EXPECT_EQ((FakeOs::ShellExecuteCall{"open", "C:\\App\\app.exe", "/x", "C:\\App", SW_SHOW_}),
              os.shellExecuteCalls[0]);

    std::string out;
    os.SetEnv("APPDATA", "C:\\Users\\user\\AppData\\Roaming");
    ASSERT_TRUE(os.ExpandEnvironmentStrings("%AppData%\\%%\\%X%%windir%", out));
    EXPECT_EQ("C:\\Users\\user\\AppData\\Roaming\\%%\\%X%C:\\Windows", out);
}

TEST(FakeOs, ShellLinks) {
    FakeOs os;
    ShellLinkData link;
    link.target = "C:\\App\\app.exe";
    link.arguments = "/start\n%x";
    link.iconIndex = 3;
    EXPECT_EQ(CO_E_NOTINITIALIZED_, os.SaveShellLink("C:\\App.lnk", link));

    EXPECT_EQ(S_OK_, os.CoInitialize());
    EXPECT_EQ(1, os.ComInitCount());
    ASSERT_EQ(S_OK_, os.SaveShellLink("C:\\App.lnk", link));
    auto saved = os.LinkAt("C:\\app.LNK");
    ASSERT_TRUE(saved);
    EXPECT_EQ("/start\n%x", saved->arguments);
    EXPECT_FALSE(saved->description);
    EXPECT_EQ(3, saved->iconIndex);
    // The file's bytes change with the link, as a snapshot of contents needs.
    const std::string bytes = os.FileContent("C:\\App.lnk");
    link.iconIndex = 4;
    ASSERT_EQ(S_OK_, os.SaveShellLink("C:\\App.lnk", link));
    EXPECT_NE(bytes, os.FileContent("C:\\App.lnk"));
    ASSERT_TRUE(os.CopyFile("C:\\App.lnk", "C:\\Copy.lnk", false));
    EXPECT_EQ(4, os.LinkAt("C:\\Copy.lnk")->iconIndex);

    ASSERT_TRUE(os.SetFileAttributes("C:\\App.lnk", FILE_ATTRIBUTE_READONLY_));
    EXPECT_EQ(HRESULT_ACCESS_DENIED_, os.SaveShellLink("C:\\App.lnk", ShellLinkData{}));
    EXPECT_EQ("C:\\App\\app.exe", os.LinkAt("C:\\App.lnk")->target);

    std::string target = "untouched";
    EXPECT_EQ(static_cast<int32_t>(0x80070002u), os.LoadShellLinkTarget("C:\\none.lnk", target));
    os.AddFile("C:\\plain.lnk", "not a link");
    EXPECT_EQ(E_FAIL_, os.LoadShellLinkTarget("C:\\plain.lnk", target));
    EXPECT_EQ("untouched", target);
    os.CoUninitialize();
    EXPECT_EQ(CO_E_NOTINITIALIZED_, os.LoadShellLinkTarget("C:\\App.lnk", target));
}

}  // namespace
}  // namespace setup
