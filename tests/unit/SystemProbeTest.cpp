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
    // The probe, its messages shown as the application shows them.
    int Probe() {
        std::vector<ProbeMessage> messages;
        const int result = ProbeSystem(os, env.trace(), ctx, messages);
        for (const ProbeMessage& m : messages)
            ui.AppMessageBox(m.text, m.warning ? mb::ICONEXCLAMATION : mb::OK);
        return result;
    }

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
    EXPECT_EQ(Probe(), 0);
    SetPlatform(win::VER_PLATFORM_WIN32s_, 3, 10);
    EXPECT_EQ(Probe(), 0);
    SetPlatform(3, 5, 0);
    EXPECT_EQ(Probe(), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{AppBox(kNt351, mb::ICONEXCLAMATION),
                                               AppBox(kUnknown, mb::ICONEXCLAMATION),
                                               AppBox(kUnknown, mb::ICONEXCLAMATION)}));
    EXPECT_EQ(ctx.OsPlatform, 0);
    EXPECT_EQ(trace, "");
}

TEST_F(ProbeSystemTest, EachFamilyReadsItsOwnSources) {
    AddAllFolders();
    os.SetWindowsDirectoryPath("D:\\WINDOWS\\");
    os.SetSystemDirectoryPath("D:\\WINDOWS\\SYSTEM");
    const char* const shell = "C:\\Shell\\Programs";
    const char* const ntUser = "C:\\Users\\山田\\Start Menu\\Programs";
    const struct {
        uint32_t platform, major, minor;
        int osPlatform;
        const char* userPrograms;
        const char* commonPrograms;
    } cases[] = {
        {win::VER_PLATFORM_WIN32_NT_, 4, 0, 2, ntUser, "C:\\All\\Programs"},
        {win::VER_PLATFORM_WIN32_NT_, 5, 0, 2, ntUser, "C:\\All\\Programs"},
        {win::VER_PLATFORM_WIN32_NT_, 10, 0, 2, ntUser, "C:\\All\\Programs"},
        // 9x reads the shell folders for both program folders.
        {win::VER_PLATFORM_WIN32_WINDOWS_, 4, 0, 1, shell, shell},
        {win::VER_PLATFORM_WIN32_WINDOWS_, 4, 10, 1, shell, shell},
        {win::VER_PLATFORM_WIN32_WINDOWS_, 4, 90, 1, shell, shell},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.platform << " " << c.major << "." << c.minor);
        SetPlatform(c.platform, c.major, c.minor);
        FillFolders();
        ctx.OsPlatform = 0;
        EXPECT_EQ(Probe(), 1);
        EXPECT_EQ(ctx.OsPlatform, c.osPlatform);
        EXPECT_EQ(ctx.ProgramDir, "D:");
        EXPECT_EQ(ctx.UserProgramFolderDir, c.userPrograms);
        EXPECT_EQ(ctx.ProgramFolderDir, c.commonPrograms);
        EXPECT_EQ(ctx.WinDir, "D:\\WINDOWS");
        EXPECT_EQ(ctx.SystemDir, "D:\\WINDOWS\\SYSTEM");
    }
    EXPECT_TRUE(ui.boxes.empty());
}

// The trace of one value that could not be read.
std::string FailedRead(const std::string& key, const char* value, const char* what) {
    return "Trying to get registery key: " + key + "\\" + value + " **Failed\n**Failed to get " +
           what + " dir\n";
}

// The trace's summary when no folder could be read.
const char kNoFolders[] =
    "ProgramDir           : \n"
    "UserProgramFolderDir : \n"
    "ProgramFolderDir     : \n"
    "WinDir               : C:\\Windows\n"
    "SystemDir            : C:\\Windows\\system32\n";

TEST_F(ProbeSystemTest, NtFailuresShowTheirBoxesInReadingOrderAndGoOn) {
    SetPlatform(win::VER_PLATFORM_WIN32_NT_, 5, 1);
    FillFolders();
    EXPECT_EQ(Probe(), 1);
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{MissingBox("ProgramDir"), MissingBox("ProgramFolderDir"),
                                     MissingBox("UserProgramFolderDir")}));
    EXPECT_EQ(ctx.ProgramDir, "");
    EXPECT_EQ(ctx.UserProgramFolderDir, "");
    EXPECT_EQ(ctx.ProgramFolderDir, "");
    EXPECT_EQ(ctx.WinDir, "C:\\Windows");
    EXPECT_EQ(os.OpenKeyCount(), 0);
    EXPECT_EQ(trace,
              "OS TYPE : WIN NT\n" + FailedRead(kCurrentVersion, "ProgramFilesDir", "NT4 Program") +
                  FailedRead(kCommonShellFolders, "Common Programs", "NT4 ProgramFolder") +
                  FailedRead(kUserShellFolders, "Programs", "NT4 UserProgramFolder") + kNoFolders);
}

TEST_F(ProbeSystemTest, NineXFailuresShowTheirBoxesInReadingOrder) {
    SetPlatform(win::VER_PLATFORM_WIN32_WINDOWS_, 4, 10);
    FillFolders();
    // The NT-only values are there but must not be used on 9x.
    os.SetExpandString(HKEY_CURRENT_USER_, kUserShellFolders, "Programs", "C:\\User");
    os.SetString(HKEY_LOCAL_MACHINE_, kCommonShellFolders, "Common Programs", "C:\\All");
    EXPECT_EQ(Probe(), 1);
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{MissingBox("ProgramDir"), MissingBox("UserProgramFolderDir"),
                                     MissingBox("ProgramFolderDir")}));
    EXPECT_EQ(ctx.UserProgramFolderDir, "");
    EXPECT_EQ(ctx.ProgramFolderDir, "");
    EXPECT_EQ(trace, "OS TYPE : WIN9X\n" +
                         FailedRead(kCurrentVersion, "ProgramFilesDir", "Win95 Program") +
                         FailedRead(kShellFolders, "Programs", "Win95 UserProgramFolder") +
                         FailedRead(kShellFolders, "Programs", "Win95 ProgramFolder") + kNoFolders);
}

}  // namespace
}  // namespace setup
