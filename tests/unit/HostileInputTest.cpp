#include <gtest/gtest.h>

#include <chrono>

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

    const auto start = std::chrono::steady_clock::now();
    const int result = uninstall ? RunUninstallation(env, lists) : PrepareInstallation(env, lists);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    EXPECT_EQ(ui.boxes, c.boxes);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(ui.progressWindowsOpen + ui.preparingWindowsOpen, 0);
    EXPECT_EQ(Snapshot(os, own), before);
    EXPECT_LT(seconds, 30.0);  // linear: about 3 s here, 10 s under the sanitizers
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
        Refused("target climbs out", "COPY:Game.exe:1:1:1:<INSTALL DIR>\\..\\..\\Evil:\n",
                kDemoInstall + "\\..\\..\\Evil"),
        Refused("copied folder climbs out", "COPY DIR:..\\Media\\Save:1:1:1:<INSTALL DIR>\\:\n",
                kDemoInstall + "\\..\\Media\\Save"),
        Refused("folder glued to the install folder's name", "COPY DIR:Save:1:1:1:<INSTALL DIR>:\n",
                kDemoInstall + "Save"),
        Refused("absolute target", "COPY:Game.exe:1:1:1:\"C:\\Windows\":\n", "C:\\Windows"),
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

}  // namespace
}  // namespace setup
