// The installation engine on the real Os: a medium in a temp folder copied
// into an install folder, registry values under HKCU\SOFTWARE\SetupEngineTest
// and Start-menu links read back through the shell, with the real progress
// window on screen and the message boxes answered by the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "WindowTestSupport.h"
#include "core/ScriptReader.h"
#include "core/SetupContext.h"
#include "core/SetupEnv.h"
#include "install/CopySourceTree.h"
#include "install/Installation.h"
#include "resource.h"
#include "support/ShellLinkReader.h"
#include "support/ShownBox.h"
#include "support/TempTree.h"
#include "core/Utf16.h"

namespace setup {
namespace {

// The real windows, but message boxes answered OK at once and recorded.
class AnsweringUi final : public Win32Ui {
public:
    using Win32Ui::Win32Ui;

    int AppMessageBox(const std::string& text, unsigned style) override {
        Record(AppBox(text, style));
        return mb::IDOK_;
    }
    int DesktopMessageBox(const std::string& text, const std::string& caption,
                          unsigned style) override {
        Record(DesktopBox(text, caption, style));
        return mb::IDOK_;
    }

    std::vector<ShownBox> boxes;

private:
    void Record(ShownBox box) {
        if (HWND progress = FindThreadDialog(IDC_PROGRESS_BAR)) {
            box.status = ItemText(progress, IDC_PROGRESS_STATUS);
            box.percent = ItemText(progress, IDC_PROGRESS_PERCENT);
        }
        boxes.push_back(box);
    }
};

class EngineTest : public RealWindowTest<AnsweringUi> {
protected:
    void SetUp() override {
        RealWindowTest::SetUp();
        if (HasFatalFailure()) return;

        for (const char* folder :
             {"medium", "medium\\Data", "medium\\Save", "medium\\Save\\slot"}) {
            root.Folder(folder);
        }
        root.Put("medium\\Game.exe", "game binary");
        root.Put("medium\\Readme.txt", "お読みください", FILE_ATTRIBUTE_READONLY);
        root.Put("medium\\Data\\a.dat", "aaa");
        root.Put("medium\\Data\\b.dat", "bbbb");
        root.Put("medium\\Data\\notes.txt", "not matched");
        // Files on both sides of a subfolder, whatever order the disk gives.
        root.Put("medium\\Save\\first.sav", "1st");
        root.Put("medium\\Save\\slot\\1.sav", "slot");
        root.Put("medium\\Save\\zlast.sav", "last");
        inMedium.emplace(Widen(medium));
        ASSERT_FALSE(HasFailure());

        key = "SetupEngineTest\\" + std::to_string(::GetCurrentProcessId());
        ctx.REG_ROOT_KEY_NAME = key;
        ctx.MENU_NAME = "テスト\\ゲーム";
        ctx.UserProgramFolderDir = root.Path("Programs");
        ctx.SourceDir = medium;
        ctx.FileCounts[1] = 7;

        // Type flags: minimum, standard, full.
        lists.Files = {
            {"COPY", "Game.exe", {1, 1, 1}, "<INSTALL DIR>", "ゲーム"},
            {"COPY", "Readme.txt", {1, 1, 1}, "<INSTALL DIR>", "お読みください"},
            {"COPY DIR", "Save", {1, 1, 1}, "<INSTALL DIR>\\", ""},
            {"COPY", "Data\\*.dat", {0, 1, 1}, "<INSTALL DIR>\\Data", ""},
            {"COPY", "Music.ogg", {1, 0, 1}, "<INSTALL DIR>", "音楽"},
        };
        lists.Registry = {
            {"CREATE REG", "INSTALL", {1, 1, 1}, "<INSTALL DIR>", 0},
            {"CREATE KEY", "Settings", {1, 1, 1}, "", 0},
            {"CREATE REG", "Settings\\Source", {1, 1, 1}, "<CURRENT DIR>\\Data", 0},
            {"CREATE REG", "Settings\\Volume", {1, 1, 1}, "", 80},
            {"CREATE REG", "Settings\\Zero", {1, 1, 1}, "", 0},
            {"CREATE REG", "Settings\\Skipped", {1, 0, 1}, "", 5},
            {"DELETE REG", "Other", {1, 1, 1}, "", 0},
        };
        for (FileEntry& e : lists.Files) e.Kind = ParseEntryAction(kSectionFiles, e.Action);
        for (RegistryEntry& e : lists.Registry) {
            e.Kind = ParseEntryAction(kSectionRegistory, e.Action);
        }
    }

    void TearDown() override {
        if (!key.empty()) {
            ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen("SOFTWARE\\" + key).c_str());
            ::RegDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\SetupEngineTest");
        }
    }

    // The copy's content, or "<missing>"; read-only copies are reported.
    std::string Copied(const std::string& relative) {
        const std::string path = install + "\\" + relative;
        const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return "<missing>";
        EXPECT_EQ(0u, attributes & FILE_ATTRIBUTE_READONLY) << relative << " is read-only";
        std::string bytes;
        EXPECT_TRUE(os.ReadFile(path, bytes)) << path;
        return bytes;
    }

    // A value under the product key, its type and bytes; {0, {}} when it cannot be read.
    using Value = std::pair<DWORD, std::vector<uint8_t>>;
    Value Read(const std::string& subKey, const std::string& name) {
        Value value;
        HKEY k = nullptr;
        const std::string path = "SOFTWARE\\" + key + (subKey.empty() ? "" : "\\" + subKey);
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, KEY_READ, &k) != 0) {
            return value;
        }
        DWORD size = 0;
        const std::wstring wideName = Widen(name);
        if (::RegQueryValueExW(k, wideName.c_str(), nullptr, &value.first, nullptr, &size) == 0) {
            value.second.resize(size);
            ::RegQueryValueExW(k, wideName.c_str(), nullptr, &value.first, value.second.data(),
                               &size);
        } else {
            value.first = 0;
        }
        ::RegCloseKey(k);
        return value;
    }

    std::string LinkTarget(const std::string& name) {
        const std::string link = root.Path("Programs\\テスト\\ゲーム\\" + name + ".lnk");
        if (::GetFileAttributesW(Widen(link).c_str()) == INVALID_FILE_ATTRIBUTES) {
            return "<no link>";
        }
        std::string target;
        os.CoInitialize();
        const int32_t hr = LoadShellLinkTarget(link, target);
        os.CoUninitialize();
        EXPECT_EQ(0, hr) << link;
        return target;
    }

    SetupContext ctx;
    SetupEnv env{ctx, os, ui};
    ScriptLists lists;
    TempTree root{"setup_engine_test_" + std::to_string(::GetCurrentProcessId())};
    const std::string medium = root.Path("medium");
    const std::string install = root.Path("install");
    std::optional<CurrentFolder> inMedium;
    std::string key;
};

TEST_F(EngineTest, InstallsFilesRegistryAndLinks) {
    ASSERT_EQ(1, RunInstallation(env, lists, {kSetupStandard, install}));

    EXPECT_EQ("game binary", Copied("Game.exe"));
    EXPECT_EQ("お読みください", Copied("Readme.txt"));
    EXPECT_EQ("1st", Copied("Save\\first.sav"));
    EXPECT_EQ("last", Copied("Save\\zlast.sav"));
    EXPECT_EQ("slot", Copied("Save\\slot\\1.sav"));
    EXPECT_EQ("aaa", Copied("Data\\a.dat"));
    EXPECT_EQ("bbbb", Copied("Data\\b.dat"));
    EXPECT_EQ("<missing>", Copied("Data\\notes.txt"));
    EXPECT_EQ("<missing>", Copied("Music.ogg"));
    // The medium is left as it was.
    EXPECT_NE(0u, root.Attributes("medium\\Readme.txt") & FILE_ATTRIBUTE_READONLY);

    // Strings are stored without their terminator.
    EXPECT_EQ(Value(REG_SZ, Utf16Bytes(install, false)), Read("", "INSTALL"));
    EXPECT_EQ(Value(REG_SZ, Utf16Bytes(medium + "\\Data", false)), Read("Settings", "Source"));
    EXPECT_EQ(Value(REG_DWORD, {80, 0, 0, 0}), Read("Settings", "Volume"));
    EXPECT_EQ(Value(REG_DWORD, {0, 0, 0, 0}), Read("Settings", "Zero"));
    EXPECT_EQ(Value(), Read("Settings", "Skipped"));

    EXPECT_EQ(install + "\\Game.exe", LinkTarget("ゲーム"));
    EXPECT_EQ(install + "\\Readme.txt", LinkTarget("お読みください"));
    EXPECT_EQ("<no link>", LinkTarget("音楽"));

    // One box, shown over the finished progress window, which then went.
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{OverProgress(kInstallDone, "ｼｮｰﾄｶｯﾄの作成中...", "100%")}));
    EXPECT_EQ(nullptr, FindThreadDialog(IDC_PROGRESS_BAR));
}

TEST_F(EngineTest, TreeCopyStepsOncePerFile) {
    auto progress = ui.NewProgressWindow(IDS_INSTALLING);
    ASSERT_EQ(1, progress->Create());
    progress->SetRange(0, 3);
    progress->SetStep(1);
    progress->SetPos(0);
    ASSERT_EQ(1, CopySourceTree(env, install, medium, medium + "\\Save", "Save", install + "\\",
                                *progress));
    EXPECT_EQ(3, progress->SetPos(3));
    HWND window = FindThreadDialog(IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("100%", ItemText(window, IDC_PROGRESS_PERCENT));
    EXPECT_EQ("1st", Copied("Save\\first.sav"));
    EXPECT_EQ("last", Copied("Save\\zlast.sav"));
    EXPECT_EQ("slot", Copied("Save\\slot\\1.sav"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EngineTest, AReadOnlyDestinationStopsTheRun) {
    root.Folder("install");
    root.Put("install\\Game.exe", "old", FILE_ATTRIBUTE_READONLY);
    ASSERT_FALSE(HasFailure());

    EXPECT_EQ(0, RunInstallation(env, lists, {kSetupStandard, install}));

    // The bar stepped for Game.exe (1 of 7) before its copy was tried.
    const char* copying = "ﾌｧｲﾙのｺﾋﾟｰ中...";
    EXPECT_EQ(ui.boxes,
              (std::vector<ShownBox>{
                  OverProgress(AppBox("Game.exeのコピーに失敗しました。", mb::ICONEXCLAMATION),
                               copying, "14%"),
                  OverProgress(DesktopBox("ﾌｧｲﾙｺﾋﾟｰ時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。",
                                          "ｲﾝｽﾄｰﾙ", mb::ICONEXCLAMATION),
                               copying, "14%")}));
    EXPECT_EQ(nullptr, FindThreadDialog(IDC_PROGRESS_BAR));

    // Nothing after the failure happened, and the locked file kept its bytes.
    std::string bytes;
    EXPECT_TRUE(os.ReadFile(install + "\\Game.exe", bytes));
    EXPECT_EQ("old", bytes);
    EXPECT_EQ("<missing>", Copied("Readme.txt"));
    EXPECT_EQ(Value(), Read("", "INSTALL"));
    EXPECT_EQ("<no link>", LinkTarget("ゲーム"));
}

}  // namespace
}  // namespace setup
