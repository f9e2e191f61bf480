// The wizard pages' decisions: texts, checks, buttons, Next on the
// destination page and what a browse changes.
#include <gtest/gtest.h>

#include <map>

#include "install/Preparation.h"
#include "support/SetupFixture.h"
#include "ui/Wizard.h"

namespace setup {
namespace {

using namespace win;

// A string table of markers: which string a text comes from, and where its
// "???" went. The program's own strings are read on the real pages.
std::string String(int id) {
    static const std::map<int, std::string> table = {
        {IDS_WELCOME, "welcome ??? / ???"}, {IDS_FREE_SPACE, "free ???"},
        {IDS_SPACE_REQUIRED, "needed ???"}, {IDS_SPACE_SHORTFALL, "short ???"},
        {IDS_TYPE_SPACE, "type ???"},       {IDS_PATH_HEADING, "heading ???"},
    };
    return table.at(id);
}

class WizardTest : public SetupFixture {
protected:
    WizardChoice choice;
    WizardFolders folders{os};
};

TEST_F(WizardTest, TheSheetOpensOnTheDefaults) {
    ctx.ProgramDir = "C:\\Program Files";
    ctx.INSTALL_DIR = "ﾃﾞﾓｿﾌﾄ\\星の旅路";
    ctx.BRAND_NAME = "ﾃﾞﾓｿﾌﾄ";
    ctx.FreeBytes = 42;
    choice.setupType = kSetupFull;
    std::string directory;
    EXPECT_EQ("ﾃﾞﾓｿﾌﾄ", OpenInstallSheet(ctx, choice, directory));
    EXPECT_EQ(kSetupStandard, choice.setupType);
    EXPECT_EQ("C:\\Program Files\\ﾃﾞﾓｿﾌﾄ\\星の旅路", choice.installPath);
    EXPECT_EQ(42, choice.freeBytes);
    EXPECT_EQ(choice.installPath, directory);
    ctx.INSTALL_DIR.clear();
    OpenInstallSheet(ctx, choice, directory);
    EXPECT_EQ("C:\\Program Files\\", directory);
}

TEST_F(WizardTest, WelcomeAndTypePagesShowTheNameAndEachTypesSize) {
    ctx.GAME_NAME = "A ??? B";  // a replacement is not scanned again
    EXPECT_EQ("welcome A ??? B / A ??? B", ShowWelcomePage(ctx, String).welcome);
    EXPECT_EQ(kWizardNext, ShowWelcomePage(ctx, String).buttons);

    ctx.RequiredBytes[kSetupMinimum] = 1023;
    ctx.RequiredBytes[kSetupStandard] = 1048575;
    ctx.RequiredBytes[kSetupFull] = 5LL << 30;
    const struct {
        int32_t type;
        int checked;
    } cases[] = {{kSetupMinimum, IDC_TYPE_MINIMUM},
                 {kSetupStandard, IDC_TYPE_STANDARD},
                 {kSetupFull, IDC_TYPE_FULL},
                 {7, 0}};
    for (const auto& c : cases) {
        choice.setupType = c.type;
        const TypePage page = ShowTypePage(ctx, choice, String);
        EXPECT_EQ(c.checked, page.checked) << c.type;
        EXPECT_EQ("type 1023 Bytes", page.minimumSize);
        EXPECT_EQ("type 1023 KB", page.standardSize);
        EXPECT_EQ("type 5120 MB", page.fullSize);
        EXPECT_EQ(kWizardBack | kWizardNext, page.buttons);
    }
    for (int control : {IDC_TYPE_MINIMUM, IDC_TYPE_FULL, IDC_TYPE_STANDARD}) {
        ASSERT_TRUE(ChooseSetupType(choice, control));
        EXPECT_EQ(control, ShowTypePage(ctx, choice, String).checked);
    }
    EXPECT_FALSE(ChooseSetupType(choice, IDC_TYPE_STANDARD_SIZE));
    EXPECT_EQ(kSetupStandard, choice.setupType);
}

// Next is offered only while the free space exceeds what the chosen type
// needs; otherwise the shortfall is named, down to "0 Bytes".
TEST_F(WizardTest, TheDestinationPageComparesFreeSpaceWithTheChosenType) {
    ctx.GAME_NAME = "星の旅路";
    ctx.RequiredBytes[kSetupMinimum] = 10;
    ctx.RequiredBytes[kSetupStandard] = 3 << 20;
    ctx.RequiredBytes[kSetupFull] = 6LL << 30;
    const struct {
        int32_t type;
        int64_t freeBytes;
        const char* freeSpace;
        const char* required;
        const char* shortfall;
        int buttons;
    } cases[] = {
        {kSetupStandard, (3 << 20) + 1, "free 3 MB", "needed 3 MB", "", kWizardBack | kWizardNext},
        {kSetupStandard, 3 << 20, "free 3 MB", "needed 3 MB", "short 0 Bytes", kWizardBack},
        {kSetupFull, 5LL << 30, "free 5120 MB", "needed 6144 MB", "short 1024 MB", kWizardBack},
        {kSetupMinimum, 0, "free 0 Bytes", "needed 10 Bytes", "short 10 Bytes", kWizardBack},
    };
    for (const auto& c : cases) {
        choice.setupType = c.type;
        choice.freeBytes = c.freeBytes;
        const SpaceTexts texts = UpdateSpaceTexts(ctx, choice, String);
        EXPECT_EQ("heading 星の旅路", texts.heading);
        EXPECT_EQ(c.freeSpace, texts.freeSpace) << c.freeBytes;
        EXPECT_EQ(c.required, texts.required) << c.freeBytes;
        EXPECT_EQ(c.shortfall, texts.shortfall) << c.freeBytes;
        EXPECT_EQ(c.buttons, texts.buttons) << c.freeBytes;
    }
}

TEST_F(WizardTest, NextNeedsAnExistingOrANewlyMadeFolder) {
    const auto ask = [](const std::string& path) {
        return DesktopBox(path + "ﾌｫﾙﾀﾞは存在しません。\n\n作成しますか？", "新規ﾌｫﾙﾀﾞ作成", 0x124);
    };
    const ShownBox failed = DesktopBox("ﾌｫﾙﾀﾞの作成に失敗しました。", "新規ﾌｫﾙﾀﾞ作成", 0x30);
    const std::string fresh = "C:\\Games\\New", file = "C:\\Games\\File";
    // The page's questions, recorded; the first gets the row's answer, any other OK.
    std::vector<ShownBox> asked;
    const auto answering = [&asked](int first) -> PageAsk {
        return
            [&asked, first](const std::string& text, const std::string& caption, unsigned style) {
                asked.push_back(DesktopBox(text, caption, style));
                return asked.size() == 1 ? first : mb::IDOK_;
            };
    };
    const struct {
        const char* name;
        std::string installPath;
        int answer;
        int result;
        std::vector<ShownBox> asked;
        bool madeFolder;
    } cases[] = {
        {"existing read-only folder", "C:\\Games\\Old", mb::IDOK_, 0, {}, true},
        {"No stays", fresh, mb::IDNO_, -1, {ask(fresh)}, false},
        {"Yes makes the chain", fresh, mb::IDYES_, 0, {ask(fresh)}, true},
        {"a file in the way", file, mb::IDYES_, -1, {ask(file), failed}, false},
        {"a drive that is not there", "Q:\\New", mb::IDYES_, -1, {ask("Q:\\New"), failed}, false},
    };
    os.AddFolder("C:\\Games\\Old");
    os.SetFileAttributes("C:\\Games\\Old", FILE_ATTRIBUTE_READONLY_ | FILE_ATTRIBUTE_ARCHIVE_);
    os.AddFile("C:\\Games\\File", "x");
    for (const auto& c : cases) {  // in order: No leaves nothing for Yes to find
        asked.clear();
        choice.installPath = c.installPath;
        EXPECT_EQ(c.result, DestinationWizardNext(folders, choice, answering(c.answer))) << c.name;
        EXPECT_EQ(c.asked, asked) << c.name;
        EXPECT_EQ(c.madeFolder, os.IsFolder(c.installPath)) << c.name;
    }
    // What the wizard made, the installation records as the product's own.
    EXPECT_EQ(folders.Made(), (std::vector<std::string>{fresh}));
}

TEST_F(WizardTest, ABrowsedFolderIsTakenAndItsDriveMeasured) {
    os.AddDrive('D');
    os.SetDiskSpace('D', FakeOs::DiskSpace{7LL << 30});
    os.AddFolder("D:\\Spiele");
    choice.freeBytes = 1;
    std::string directory;
    ApplyBrowsedFolder(folders, "D:\\Spiele", choice, directory);
    EXPECT_EQ("D:\\Spiele", directory);
    EXPECT_EQ("D:\\Spiele\\", choice.installPath);
    EXPECT_EQ(7LL << 30, choice.freeBytes);

    os.FailNext("GetDiskFreeSpaceEx", ERROR_ACCESS_DENIED_);
    ApplyBrowsedFolder(folders, "D:\\", choice, directory);
    EXPECT_EQ("D:\\", choice.installPath);
    EXPECT_EQ(0, choice.freeBytes);
}

}  // namespace
}  // namespace setup
