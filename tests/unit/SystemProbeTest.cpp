#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/SetupFixture.h"
#include "system/SystemProbe.h"

namespace setup {
namespace {

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kCommonShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const char kNt351[] = "WindowsNT3.51にはｲﾝｽﾄｰﾙできません。\nｾｯﾄｱｯﾌﾟを終了します。";
const char kUnknown[] = "ご利用のOS種別が認識できませんでした。\nｾｯﾄｱｯﾌﾟを終了します。";

ShownBox MissingBox(const char* field) {
    return AppBox(std::string("Failed to get registery value for ") + field, mb::OK);
}

class ProbeSystemTest : public SetupFixture {
protected:
    ProbeSystemTest() { KeepTrace(); }

    void SetPlatform(uint32_t platform, uint32_t major, uint32_t minor) {
        os.SetVersion({major, minor, 1000, platform});
    }
    // Every folder value either family could read, each with its own text so a
    // test sees which one was taken.
    void AddAllFolders() {
        os.SetString(HKEY_LOCAL_MACHINE_, kCurrentVersion, "ProgramFilesDir", "D:\\");
        os.SetString(HKEY_CURRENT_USER_, kShellFolders, "Programs", "C:\\Shell\\Programs");
        os.SetExpandString(HKEY_CURRENT_USER_, kUserShellFolders, "Programs",
                           "%USERPROFILE%\\Start Menu\\Programs");
        os.SetString(HKEY_LOCAL_MACHINE_, kCommonShellFolders, "Common Programs",
                     "C:\\All\\Programs\\\\");
        os.SetEnv("USERPROFILE", "C:\\Users\\山田");
    }
    // Stale values, to see that a failed read leaves the field empty.
    void FillFolders() {
        for (std::string* field :
             {&ctx.ProgramDir, &ctx.UserProgramFolderDir, &ctx.ProgramFolderDir}) {
            *field = "stale";
        }
    }
};

TEST_F(ProbeSystemTest, RefusesNt351AndUnknownPlatforms) {
    SetPlatform(win::VER_PLATFORM_WIN32_NT_, 3, 51);
    EXPECT_EQ(ProbeSystem(env), 0);
    SetPlatform(win::VER_PLATFORM_WIN32s_, 3, 10);
    EXPECT_EQ(ProbeSystem(env), 0);
    SetPlatform(3, 5, 0);
    EXPECT_EQ(ProbeSystem(env), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{AppBox(kNt351, mb::ICONEXCLAMATION),
                                               AppBox(kUnknown, mb::ICONEXCLAMATION),
                                               AppBox(kUnknown, mb::ICONEXCLAMATION)}));
    EXPECT_EQ(ctx.OsPlatform, 0);
    EXPECT_EQ(trace, "");
}

TEST_F(ProbeSystemTest, NtFromVersion4ReadsTheNtSources) {
    AddAllFolders();
    for (uint32_t major : {4u, 5u, 10u}) {
        SetPlatform(win::VER_PLATFORM_WIN32_NT_, major, 0);
        ctx.OsPlatform = 0;
        EXPECT_EQ(ProbeSystem(env), 1) << major;
        EXPECT_EQ(ctx.OsPlatform, 2) << major;
    }
    EXPECT_EQ(ctx.ProgramDir, "D:");
    EXPECT_EQ(ctx.UserProgramFolderDir, "C:\\Users\\山田\\Start Menu\\Programs");
    EXPECT_EQ(ctx.ProgramFolderDir, "C:\\All\\Programs");
    EXPECT_EQ(ctx.WinDir, "C:\\Windows");
    EXPECT_EQ(ctx.SystemDir, "C:\\Windows\\system32");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ProbeSystemTest, NineXReadsTheShellFoldersForBothProgramFolders) {
    AddAllFolders();
    os.SetWindowsDirectoryPath("D:\\WINDOWS\\");
    os.SetSystemDirectoryPath("D:\\WINDOWS\\SYSTEM");
    for (uint32_t minor : {0u, 10u, 90u}) {
        SetPlatform(win::VER_PLATFORM_WIN32_WINDOWS_, 4, minor);
        EXPECT_EQ(ProbeSystem(env), 1) << minor;
        EXPECT_EQ(ctx.OsPlatform, 1) << minor;
    }
    EXPECT_EQ(ctx.ProgramDir, "D:");
    EXPECT_EQ(ctx.UserProgramFolderDir, "C:\\Shell\\Programs");
    EXPECT_EQ(ctx.ProgramFolderDir, "C:\\Shell\\Programs");
    EXPECT_EQ(ctx.WinDir, "D:\\WINDOWS");
    EXPECT_EQ(ctx.SystemDir, "D:\\WINDOWS\\SYSTEM");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ProbeSystemTest, NtFailuresShowTheirBoxesInReadingOrderAndGoOn) {
    SetPlatform(win::VER_PLATFORM_WIN32_NT_, 5, 1);
    FillFolders();
    EXPECT_EQ(ProbeSystem(env), 1);
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{MissingBox("ProgramDir"), MissingBox("ProgramFolderDir"),
                                     MissingBox("UserProgramFolderDir")}));
    EXPECT_EQ(ctx.ProgramDir, "");
    EXPECT_EQ(ctx.UserProgramFolderDir, "");
    EXPECT_EQ(ctx.ProgramFolderDir, "");
    EXPECT_EQ(ctx.WinDir, "C:\\Windows");
    EXPECT_EQ(os.OpenKeyCount(), 0);
    EXPECT_EQ(trace,
              "OS TYPE : WIN NT\n"
              "Trying to get registery key: "
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir **Failed\n"
              "**Failed to get NT4 Program dir\n"
              "Trying to get registery key: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
              "Explorer\\Shell Folders\\Common Programs **Failed\n"
              "**Failed to get NT4 ProgramFolder dir\n"
              "Trying to get registery key: Software\\Microsoft\\Windows\\CurrentVersion\\"
              "Explorer\\User Shell Folders\\Programs **Failed\n"
              "**Failed to get NT4 UserProgramFolder dir\n"
              "ProgramDir           : \n"
              "UserProgramFolderDir : \n"
              "ProgramFolderDir     : \n"
              "WinDir               : C:\\Windows\n"
              "SystemDir            : C:\\Windows\\system32\n");
}

TEST_F(ProbeSystemTest, NineXFailuresShowTheirBoxesInReadingOrder) {
    SetPlatform(win::VER_PLATFORM_WIN32_WINDOWS_, 4, 10);
    FillFolders();
    // The NT-only values are there but must not be used on 9x.
    os.SetExpandString(HKEY_CURRENT_USER_, kUserShellFolders, "Programs", "C:\\User");
    os.SetString(HKEY_LOCAL_MACHINE_, kCommonShellFolders, "Common Programs", "C:\\All");
    EXPECT_EQ(ProbeSystem(env), 1);
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{MissingBox("ProgramDir"), MissingBox("UserProgramFolderDir"),
                                     MissingBox("ProgramFolderDir")}));
    EXPECT_EQ(ctx.UserProgramFolderDir, "");
    EXPECT_EQ(ctx.ProgramFolderDir, "");
    const std::string shellPrograms = std::string(kShellFolders) + "\\Programs";
    EXPECT_EQ(trace,
              "OS TYPE : WIN9X\n"
              "Trying to get registery key: "
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir **Failed\n"
              "**Failed to get Win95 Program dir\n"
              "Trying to get registery key: " +
                  shellPrograms +
                  " **Failed\n"
                  "**Failed to get Win95 UserProgramFolder dir\n"
                  "Trying to get registery key: " +
                  shellPrograms +
                  " **Failed\n"
                  "**Failed to get Win95 ProgramFolder dir\n"
                  "ProgramDir           : \n"
                  "UserProgramFolderDir : \n"
                  "ProgramFolderDir     : \n"
                  "WinDir               : C:\\Windows\n"
                  "SystemDir            : C:\\Windows\\system32\n");
}

}  // namespace
}  // namespace setup
