#include <gtest/gtest.h>

#include "install/Installation.h"
#include "install/Preparation.h"
#include "support/SetupFixture.h"
#include "support/Snapshot.h"
#include "uninstall/Uninstallation.h"

namespace setup {
namespace {

ShownBox NotHere(const std::string& place) {
    return AppBox(place + "\nはｲﾝｽﾄｰﾙできない場所のため、ｲﾝｽﾄｰﾙを中止しました。", 48);
}

const ShownBox kCopyAbortedBox =
    DesktopBox("ﾌｧｲﾙｺﾋﾟｰ時、ｴﾗｰによりｲﾝｽﾄｰﾙは異常終了しました。", "ｲﾝｽﾄｰﾙ", 48);

struct Hostile {
    std::string name;
    std::string script;
    std::vector<ShownBox> boxes;
    int result = 1;  // of the uninstallation, or of the install action (0: nothing to install)
    int repeat = 1;  // how often the script's last line is written
};
void PrintTo(const Hostile& c, std::ostream* out) {
    *out << c.name;
}

class HostileInput : public SetupFixture, public ::testing::WithParamInterface<Hostile> {
protected:
    void SetUp() override {
        OpenMedium();
        AddMediumFile("Game.exe", "game");
        AddMediumFile("Save\\save.dat", "s");
        os.AddFile("C:\\Secret\\diary.txt", "private");
        PlaceProductBesideAnother(ctx, os);
    }
};

TEST_P(HostileInput, HasItsOutcomeAndTouchesNothingElse) {
    const Hostile& c = GetParam();
    std::string script = c.script;
    const std::string last = script.substr(script.rfind('\n', script.size() - 2) + 1);
    for (int i = 1; i < c.repeat; ++i) script += last;
    WriteScript(script);
    const bool uninstall = script.rfind("[Uninstall]", 0) == 0;
    if (uninstall) os.AddFile(kDemoInstall + "\\Game.exe");
    const OwnPlaces own{{kDemoInstall, kDemoMenu}, {kDemoKey}};
    const std::vector<std::string> before = Snapshot(os, own);

    const int result = uninstall ? RunUninstallation(env, lists) : PrepareInstallation(env, lists);

    EXPECT_EQ(ui.boxes, c.boxes);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(ui.progressWindowsOpen + ui.preparingWindowsOpen, 0);
    EXPECT_EQ(Snapshot(os, own), before);
}

const std::string kFiles = "[Files]\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:星の旅路\n";

// One more line after kFiles, refused as an install into `place`.
Hostile Refused(std::string name, const std::string& line, const std::string& place) {
    return Hostile{std::move(name), kFiles + line, {NotHere(place)}};
}
// More lines after kFiles, installed without harm.
Hostile Harmless(std::string name, const std::string& lines, int repeat = 1) {
    return Hostile{std::move(name), kFiles + lines, {kInstallDone}, 1, repeat};
}
// A shortcut name that would leave the menu folder or name a device.
Hostile LinkNamed(const std::string& name) {
    return Refused("link name " + name, "COPY:Game.exe:1:1:1:<INSTALL DIR>:" + name + "\n",
                   kDemoMenu + "\\" + name + ".lnk");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HostileInput,
    ::testing::Values(
        Refused("source in the medium's parent", "COPY:..\\Secret\\*.*:1:1:1:<INSTALL DIR>:\n",
                "C:\\Media\\..\\Secret\\*.*"),
        Hostile{"absolute source",
                kFiles + "COPY:\"C:\\Secret\\diary.txt\":1:1:1:<INSTALL DIR>:\n",
                {AppBox("ｲﾝｽﾄｰﾙ/ｱﾝｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\nC:\\Media\\C:\\Secret\\diary."
                        "txt\nが見つかりませんでした。",
                        48)},
                0},
        Harmless("NUL ends the line", "COPY:Save\\save.dat:1:1:1:<INSTALL DIR>" +
                                          std::string(1, '\0') + "\\..\\..\\Evil:Evil\n" +
                                          std::string(1, '\0') + "COPY:..\\Secret:1:1:1:C:\\:\n"),
        LinkNamed("..\\..\\Evil"), LinkNamed("a/b"), LinkNamed("CON"), LinkNamed("nul.txt"),
        LinkNamed("COM1 "),
        Harmless(
            "link names alike stay",
            "COPY:Game.exe:1:1:1:<INSTALL DIR>:CONSOLE\nCOPY:Game.exe:1:1:1:<INSTALL DIR>:COM10\n"),
        Harmless("value path of backslashes",
                 "[Registory]\nCREATE KEY:\\\\\\:1:1:1:0:\nCREATE REG:\\\\\\:1:1:1:5:\n"),
        Harmless("key names with dots", "[Registory]\nCREATE KEY:..\\..\\Tsuki:1:1:1:0:\n"),
        Harmless("100,000 lines", "COPY:Game.exe:1:1:1:<INSTALL DIR>:\n", 100000),
        Hostile{"uninstall NUL ends the line",
                "[Uninstall]\nDELETE DIR:<INSTALL DIR>" + std::string(1, '\0') + "\\..\\..\n",
                {kUninstallDone}}));

// A [Setup] name that leads out of the folder it names a place in, or a
// product key in no place of its own, is refused before anything is made.
TEST_F(HostileInput, SetupNamesThatLeadElsewhereAreRefusedFirst) {
    const struct {
        std::string SetupContext::*field;
        const char* value;
        std::string place;
    } rows[] = {
        {&SetupContext::INSTALL_DIR, "..\\Windows", "C:\\Program Files\\..\\Windows"},
        {&SetupContext::INSTALL_DIR, "D:\\Games", "C:\\Program Files\\D:\\Games"},
        {&SetupContext::INSTALL_DIR, "\\Games", "C:\\Program Files\\\\Games"},
        {&SetupContext::MENU_NAME, "ﾃﾞﾓｿﾌﾄ\\..\\..\\Desktop",
         "C:\\Users\\p\\Programs\\ﾃﾞﾓｿﾌﾄ\\..\\..\\Desktop"},
        {&SetupContext::MENU_NAME, "a|b", "C:\\Users\\p\\Programs\\a|b"},
        {&SetupContext::REG_ROOT_KEY_NAME, "ﾃﾞﾓｿﾌﾄ\\\\Hoshi", "SOFTWARE\\ﾃﾞﾓｿﾌﾄ\\\\Hoshi"},
        {&SetupContext::REG_ROOT_KEY_NAME, "", "SOFTWARE\\"},
        {&SetupContext::REG_ROOT_KEY_NAME, "Microsoft\\Windows", "SOFTWARE\\Microsoft\\Windows"},
    };
    WriteScript(kFiles + "[Registory]\nCREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\n");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        PlaceDemoProduct(ctx);
        ctx.MENU_NAME = "ﾃﾞﾓｿﾌﾄ\\星の旅路";
        ctx.*row.field = row.value;
        ui.boxes.clear();
        const std::vector<std::string> before = Snapshot(os, OwnPlaces{});
        EXPECT_EQ(PrepareInstallation(env, lists), 1);
        EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{NotHere(row.place)}));
        EXPECT_EQ(Snapshot(os, OwnPlaces{}), before);
    }
    ctx.INSTALL_DIR = "ﾃﾞﾓｿﾌﾄ\\星の旅路\\";  // plain names, a trailing backslash aside
    ctx.MENU_NAME = "ﾃﾞﾓｿﾌﾄ\\";
    ctx.REG_ROOT_KEY_NAME = "ﾃﾞﾓｿﾌﾄ\\Hoshi";
    ui.boxes.clear();
    EXPECT_EQ(PrepareInstallation(env, lists), 1);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{kInstallDone}));
}

// A link that lies inside the install folder is never written through: the
// copy looks at the exact path it is about to write.
TEST_F(HostileInput, NothingIsWrittenThroughALinkInsideTheInstallFolder) {
    os.AddFolder(kDemoInstall);
    os.AddLink(kDemoInstall + "\\Save", "C:\\Secret");
    os.AddLink(kDemoInstall + "\\Game.exe", "C:\\Secret\\diary.txt");
    os.AddLink("\\\\?\\" + kDemoInstall + "\\Data.", "C:\\Secret");
    os.AddLink("C:\\J", kDemoInstall);  // another way into the install folder
    const std::pair<const char*, std::string> rows[] = {
        {"COPY DIR:Save:1:1:1:<INSTALL DIR>\\:", kDemoInstall + "\\\\Save\\save.dat"},
        {"COPY:Game.exe:1:1:1:<INSTALL DIR>:", kDemoInstall + "\\Game.exe"},
        {"COPY:Game.exe:1:1:1:\\\\?\\<INSTALL DIR>\\Data.:",
         "\\\\?\\" + kDemoInstall + "\\Data.\\Game.exe"},
        {"COPY:Game.exe:1:1:1:\"C:\\J\\Save\":", "C:\\J\\Save\\Game.exe"},
    };
    for (const auto& [line, written] : rows) {
        SCOPED_TRACE(line);
        WriteScript(std::string("[Files]\n") + line + "\n");
        ui.boxes.clear();
        const std::vector<std::string> before = Snapshot(os, OwnPlaces{{kDemoMenu}, {}});
        EXPECT_EQ(PrepareInstallation(env, lists), 1);
        EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{NotHere(written), kCopyAbortedBox}));
        EXPECT_EQ(os.List("C:\\Secret"), std::vector<std::string>{"diary.txt"});
        EXPECT_EQ(os.FileContent("C:\\Secret\\diary.txt"), "private");
        EXPECT_EQ(Snapshot(os, OwnPlaces{{kDemoMenu}, {}}), before);
    }
}

}  // namespace
}  // namespace setup
