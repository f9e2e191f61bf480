#include <gtest/gtest.h>

#include <string>

#include "support/SetupFixture.h"
#include "system/ShellLink.h"

namespace setup {
namespace {

class ShellLinkTest : public SetupFixture {
protected:
    ShellLinkTest() { os.AddFolder("C:\\Menu"); }
    // A link with nothing but its target, shown normally.
    int32_t Bare(const std::string& link, const std::string& target = "C:\\a.exe") {
        ShellLinkData data;
        data.target = target;
        return CreateShellLink(os, link, data);
    }
};

TEST_F(ShellLinkTest, NullsArePassedAsAbsentFieldsAndMissingTargetsAreFine) {
    ASSERT_GE(os.CoInitialize(), 0);
    EXPECT_EQ(Bare("C:\\Menu\\ゲーム.lnk", "C:\\Game\\not-yet.exe"), win::S_OK_);
    const auto plain = os.LinkAt("C:\\Menu\\ゲーム.lnk");
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->target, "C:\\Game\\not-yet.exe");
    EXPECT_FALSE(plain->description || plain->arguments || plain->workingDirectory ||
                 plain->iconFile);
    EXPECT_EQ(plain->iconIndex, 0);
    EXPECT_EQ(plain->showCommand, win::SW_SHOWNORMAL_);

    // An empty text is still a text, unlike null.
    const ShellLinkData given{"C:\\Game\\game.exe", "", "-window",    "C:\\Game",
                              "C:\\Game\\icon.ico", 2,  win::SW_SHOW_};
    EXPECT_EQ(CreateShellLink(os, "C:\\Menu\\Full.lnk", given), win::S_OK_);
    const auto full = os.LinkAt("C:\\Menu\\Full.lnk");
    ASSERT_TRUE(full.has_value());
    EXPECT_TRUE(full->description && full->arguments && full->workingDirectory && full->iconFile);
    EXPECT_EQ(full->description, "");
    EXPECT_EQ(full->arguments, "-window");
    EXPECT_EQ(full->workingDirectory, "C:\\Game");
    EXPECT_EQ(full->iconFile, "C:\\Game\\icon.ico");
    EXPECT_EQ(full->iconIndex, 2);
    EXPECT_EQ(full->showCommand, win::SW_SHOW_);

    std::string target;
    EXPECT_EQ(os.LoadShellLinkTarget("C:\\Menu\\ゲーム.lnk", target), win::S_OK_);
    EXPECT_EQ(target, "C:\\Game\\not-yet.exe");
    os.CoUninitialize();
}

TEST_F(ShellLinkTest, FailuresComeBackAsTheirHresult) {
    EXPECT_EQ(Bare("C:\\Menu\\a.lnk"), win::CO_E_NOTINITIALIZED_);
    EXPECT_FALSE(os.Exists("C:\\Menu\\a.lnk"));

    ASSERT_GE(os.CoInitialize(), 0);
    os.FailNext("SaveShellLink", static_cast<uint32_t>(win::E_FAIL_));
    EXPECT_EQ(Bare("C:\\Menu\\a.lnk"), win::E_FAIL_);
    EXPECT_FALSE(os.Exists("C:\\Menu\\a.lnk"));
    os.CoUninitialize();
}

TEST_F(ShellLinkTest, LinkPathLimitCountsUtf16Units) {
    ASSERT_GE(os.CoInitialize(), 0);
    // 3 + 120 + 1 + 131 + 4 = 259 units, far more bytes.
    std::string folder = "C:\\";
    for (int i = 0; i < 120; ++i) folder += "ソ";
    os.AddFolder(folder);
    std::string name;
    for (int i = 0; i < 131; ++i) name += "ソ";
    const std::string longest = folder + "\\" + name + ".lnk";
    EXPECT_EQ(Bare(longest), win::S_OK_);
    EXPECT_TRUE(os.LinkAt(longest).has_value());

    const std::string tooLong = folder + "\\" + name + "x.lnk";
    EXPECT_EQ(Bare(tooLong), kLinkPathTooLong);
    EXPECT_FALSE(os.Exists(tooLong));
    os.CoUninitialize();
}

}  // namespace
}  // namespace setup
