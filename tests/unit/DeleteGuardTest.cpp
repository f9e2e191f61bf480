// The places an uninstallation may never delete, each class of them.
#include <gtest/gtest.h>

#include "support/SetupFixture.h"
#include "uninstall/DeleteGuard.h"

namespace setup {
namespace {

constexpr char kUserShell[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kCommonShell[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TEST(NormalisePath, ResolvesAsWindowsDoes) {
    const struct {
        const char* path;
        const char* normalised;
    } cases[] = {
        {"c:/Games//Hoshi\\.\\Data\\..\\", "C:\\Games\\Hoshi"},
        {"C:\\Games\\Hoshi. .\\Save ", "C:\\Games\\Hoshi\\Save"},
        {"C:\\..\\..\\Windows", "C:\\Windows"},
        {"C:\\", "C:\\"},
        {"\\\\server\\share\\..\\..", "\\\\server\\share"},
        {"\\\\server", "\\\\server"},
        {"C:\\Games\\...", ""},                 // a name of dots only
        {"C:\\Games\\a|b", ""},                 // a name no file may have
        {"Games\\Hoshi", ""},                   // relative
        {"C:Games", ""},                        // relative to the drive's current folder
        {"\\Games", ""},                        // relative to the current drive
        {"\\\\?\\C:\\Windows", "C:\\Windows"},  // the long form
        {"\\\\?\\UNC\\server\\share\\x", "\\\\server\\share\\x"},
        {"\\\\.\\PhysicalDrive0", ""},  // device namespace
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.normalised, NormalisePath(c.path)) << c.path;
}

class DeleteGuardTest : public SetupFixture {
protected:
    void SetUp() override {
        ctx.WinDir = "C:\\Windows";
        ctx.SystemDir = "C:\\Windows\\system32";
        ctx.ProgramDir = "C:\\Program Files";
        ctx.UserProgramFolderDir = "C:\\Users\\émile\\Start Menu\\Programs";
        ctx.ProgramFolderDir = "C:\\ProgramData\\Start Menu\\Programs";
        ctx.SourceDir = "D:\\Media\\Disc1";
        os.SetEnv("ProgramFiles(x86)", "C:\\Program Files (x86)");
        os.SetEnv("USERPROFILE", "C:\\Users\\Émile");
        os.SetEnv("APPDATA", "C:\\Users\\Émile\\Dữ liệu");  // beyond a hand-made case table
        os.SetExpandString(HKEY_CURRENT_USER_, kUserShell, "Personal", "%USERPROFILE%\\Documents");
        os.SetString(HKEY_LOCAL_MACHINE_, kCommonShell, "Common Desktop",
                     "C:\\Users\\Public\\Desktop", true);
        // Other ways to the same places: links to a protected tree and to a
        // protected folder, and to a folder above one.
        for (const char* folder : {"C:\\Windows\\Fonts", "C:\\Users\\Émile\\Documents"}) {
            os.AddFolder(folder);
        }
        os.AddLink("C:\\Alias", "C:\\Windows");
        os.AddLink("C:\\Docs", "C:\\Users\\Émile\\Documents");
        os.AddLink("C:\\Up", "C:\\Users");
        os.AddFolder("C:\\Games\\Hoshi");
        KeepTrace();
        places = ProtectedFolders(env);
    }
    ProtectedPlaces places;
};

TEST_F(DeleteGuardTest, RefusesEveryProtectedPlaceAndWhatLiesAbove) {
    EXPECT_EQ("", trace);  // the guard's own reads are not traced
    const char* const refused[] = {
        "",
        "Hoshi",
        "C:\\",
        "C:\\Games\\..",
        "\\\\server\\share",
        "\\\\server\\share\\",
        "C:\\Windows",
        "c:\\WINDOWS.",
        "C:\\Windows\\Fonts",
        "C:\\Windows\\System32\\drivers",
        "C:\\Program Files",
        "C:\\Program Files (x86)\\",
        "C:\\PROGRA~1\\Hoshi",
        "C:\\Users",
        "C:\\Users\\ÉMILE",
        "C:\\Users\\Émile\\Documents",
        "C:\\Users\\Public\\Desktop",
        "C:\\Users\\émile\\Start Menu",
        "C:\\Users\\émile\\Start Menu\\Programs",
        "C:\\ProgramData\\Start Menu\\Programs\\.",
        "D:\\Media\\Disc1",
        "D:\\Media",
        "D:\\Media\\Disc1\\Save\\..",
        "C:\\Users\\émile\\Start Menu\\Programs\\ﾃﾞﾓｿﾌﾄ",  // the brand folder itself
        "C:\\USERS\\ÉMILE\\DỮ LIỆU",
        "C:\\Alias",
        "C:\\Alias\\Fonts",
        "C:\\Docs",
        "C:\\Up",
    };
    const std::string brand = "C:\\Users\\émile\\Start Menu\\Programs\\ﾃﾞﾓｿﾌﾄ";
    for (const char* path : refused)
        EXPECT_FALSE(IsDeletableTarget(os, path, places, brand)) << path;

    const char* const allowed[] = {"C:\\Program Files\\ﾃﾞﾓｿﾌﾄ\\星の旅路",
                                   "C:\\Users\\Émile\\AppData\\Roaming\\Hoshi",
                                   "C:\\Users\\émile\\Start Menu\\Programs\\ﾃﾞﾓｿﾌﾄ\\星の旅路",
                                   "D:\\Media\\Disc1\\Save",
                                   "C:\\Games\\Hoshi",
                                   "C:\\Games\\Hoshi\\*.dat",
                                   "\\\\server\\share\\Games\\Hoshi"};
    for (const char* path : allowed)
        EXPECT_TRUE(IsDeletableTarget(os, path, places, brand)) << path;

    // Long paths are judged whole, in either form.
    const std::string longPath =
        "C:\\Games\\" + std::string(200, 'x') + "\\" + std::string(200, 'y');
    EXPECT_TRUE(IsDeletableTarget(os, longPath, places));
    EXPECT_TRUE(IsDeletableTarget(os, "\\\\?\\" + longPath, places));
    EXPECT_FALSE(IsDeletableTarget(os, "\\\\?\\C:\\Windows\\" + std::string(300, 'x'), places));
    EXPECT_FALSE(IsDeletableTarget(os, "\\\\?\\C:\\", places));
}

TEST(DeleteGuard, KeysOnlyBelowSoftwareAndNeverTheSystemsOwn) {
    FakeOs os;
    for (const char* key : {"SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\HoshiNoTabiji", "software\\Hoshi\\Settings"}) {
        EXPECT_TRUE(IsDeletableKey(os, key)) << key;
    }
    for (const char* key :
         {"", "SOFTWARE", "SOFTWARE\\", "SOFTWAREX\\Hoshi", "System\\Hoshi", "SOFTWARE\\\\Hoshi",
          "SOFTWARE\\Microsoft", "Software\\microsoft\\Windows", "SOFTWARE\\Classes\\.txt",
          "SOFTWARE\\Policies"}) {
        EXPECT_FALSE(IsDeletableKey(os, key)) << key;
    }
    EXPECT_EQ("C:\\\nは削除できない場所のため、ｱﾝｲﾝｽﾄｰﾙを中止しました。", RefusalMessage("C:\\"));
}

}  // namespace
}  // namespace setup
