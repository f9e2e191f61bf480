#include <gtest/gtest.h>

#include <functional>

#include "core/Text.h"
#include "support/SetupFixture.h"
#include "uninstall/DeleteGuard.h"
#include "uninstall/Uninstallation.h"

namespace setup {
namespace {

const std::string kMaker = "C:\\Program Files\\ﾃﾞﾓｿﾌﾄ";
const std::string kInstall = kMaker + "\\Hoshi";
const std::string kPrograms = "C:\\Users\\p\\Programs";
const std::string kBrand = kPrograms + "\\ﾃﾞﾓｿﾌﾄ";
const std::string kScript =
    "[Uninstall]\nDELETE FILE:<INSTALL DIR>\\Readme.txt\nDELETE DIR:<INSTALL DIR>\\\n"
    "DELETE REG:<REG ROOT>\\Settings\nDELETE REG:<REG ROOT>\nDELETE MENU:<MENU DIR>\n"
    "KEEP:<INSTALL DIR>\n";

// Runs `action` before every file deletion.
void BeforeEachDelete(FakeOs& os, std::function<void()> action) {
    os.onCall = [action](const std::string& method, const std::string&) {
        if (method == "DeleteFile") action();
        return std::optional<uint32_t>();
    };
}

class UninstallationTest : public SetupFixture {
protected:
    void SetUp() override {
        OpenMedium();
        PlaceDemoProduct(ctx);
        ctx.TargetDir = kInstall;
        for (const char* name : {"Game.exe", "Readme.txt", "Save\\save.dat", "Data\\1.dat"}) {
            os.AddFile(kInstall + "\\" + name, "x", win::FILE_ATTRIBUTE_READONLY_);
        }
        for (const char* name : {"a.lnk", "b.lnk", "c.lnk"}) os.AddFile(kDemoMenu + "\\" + name);
        os.AddKey(HKEY_CURRENT_USER_, kDemoKey + "\\Settings");
        RecordDemoInstall(os, kInstall);
        WriteScript(kScript);
    }
    // The windows and boxes in order, one a line, without the pumps.
    std::string Seen() const {
        std::string seen;
        for (const std::string& e : ui.events) seen += e == "pump" ? "" : e + "\n";
        return seen;
    }
    bool Key(const std::string& key) const { return os.KeyExists(HKEY_CURRENT_USER_, key); }
};

std::string Phase(const std::string& status, int upper, int steps, const std::string& end) {
    std::string e = "progress: status " + status + "\nprogress: range 0 " + std::to_string(upper) +
                    "\nprogress: step 1\nprogress: pos 0\n";
    for (int i = 0; i < steps; ++i) e += "progress: stepit\n";
    return e + end;
}

TEST_F(UninstallationTest, AFullRunRemovesEverythingPhaseByPhase) {
    std::string percents;
    BeforeEachDelete(os, [&] { percents += ui.bar.Percent() + " "; });
    lists.Files.resize(2);
    EXPECT_EQ(RunUninstallation(env, lists), 1);

    EXPECT_EQ(Seen(),
              "preparing: create\npreparing: show\npreparing: destroy\nprogress: create 117\n"
              "progress: range 0 5\nprogress: step 1\nprogress: pos 0\nprogress: show\n" +
                  Phase("ﾌｧｲﾙの削除中...", 5, 4, "progress: pos 5\n") +
                  Phase("ﾚｼﾞｽﾄﾘの削除中...", 1, 1, "") +
                  Phase("ｼｮｰﾄｶｯﾄの削除中...", 1, 4, "progress: pos 1\n") +
                  "box: ｱﾝｲﾝｽﾄｰﾙが正常に完了しました。\nprogress: destroy\n");
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{kUninstallDone}));
    EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{300, 300, 300, 300, 300, 500}));
    // Several menu files hold the bar full on its range of one; the record
    // goes last.
    EXPECT_EQ(percents, "0% 20% 40% 60% 0% 100% 100% 100% ");
    EXPECT_FALSE(os.Exists("C:\\Users\\p\\AppData\\Local\\SetupRecords"));

    EXPECT_TRUE(lists.Files.empty());
    EXPECT_EQ(lists.Uninstall.size(), 6u);
    EXPECT_FALSE(os.Exists(kMaker));  // the maker's folder, empty once the product went
    EXPECT_TRUE(os.Exists("C:\\Program Files"));
    EXPECT_FALSE(os.Exists(kBrand));  // empty once its only menu went
    EXPECT_FALSE(Key(kDemoKey));
    EXPECT_FALSE(Key("SOFTWARE\\ﾃﾞﾓｿﾌﾄ"));  // nothing else of the maker's was in it
    EXPECT_TRUE(Key("SOFTWARE"));
}

TEST_F(UninstallationTest, TheBrandFolderGoesOnlyWhenEmptyAndNeverWithoutABrand) {
    os.AddFolder(kBrand + "\\別の作品");
    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_EQ(os.List(kBrand), std::vector<std::string>{"別の作品"});

    ctx.BRAND_NAME = "";
    ctx.MENU_NAME = "星の旅路";
    os.AddFile(kPrograms + "\\星の旅路\\a.lnk");
    os.RemoveDirectory(kBrand + "\\別の作品");
    os.RemoveDirectory(kBrand);
    WriteScript("[Uninstall]\nDELETE MENU:<MENU DIR>\n");
    ui.events.clear();
    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_EQ(ui.ProgressEvents()[1], "range 0 1");  // nothing counted still makes a bar
    EXPECT_TRUE(os.Exists(kPrograms));
}

TEST_F(UninstallationTest, LinksAreRemovedNeverFollowed) {
    os.AddFile("C:\\Elsewhere\\keep.txt", "k");
    os.AddLink(kInstall + "\\Junction", "C:\\Elsewhere");
    os.AddLink(kInstall + "\\keep.txt", "C:\\Elsewhere\\keep.txt");
    os.AddLink("C:\\Games\\Top", "C:\\Elsewhere");
    WriteScript(kScript + "DELETE DIR:C:\\Games\\Top\n");
    EXPECT_EQ(RunUninstallation(env, lists), 1);
    EXPECT_EQ(ctx.FileCounts[kUninstallFiles], 6);  // the file link, nothing behind the junctions
    EXPECT_EQ(os.FileContent("C:\\Elsewhere\\keep.txt"), "k");
    EXPECT_FALSE(os.Exists(kInstall));
    EXPECT_TRUE(os.Exists("C:\\Games\\Top"));  // no place of the product's
}

using Arrange = std::function<void(SetupContext&, FakeOs&)>;
enum Stays { kGame = 1, kProductKey = 2, kMenuFolder = 4, kAll = 7 };
struct Outcome {
    const char* name;
    std::string script;  // empty: the full script
    Arrange arrange;
    int result;
    std::vector<ShownBox> boxes;
    int stays;
};
void PrintTo(const Outcome& outcome, std::ostream* out) {
    *out << outcome.name;
}

class UninstallationOutcome : public UninstallationTest,
                              public ::testing::WithParamInterface<Outcome> {};

TEST_P(UninstallationOutcome, ShowsItsMessagesAndKeepsWhatItShould) {
    const Outcome& c = GetParam();
    os.AddFolder(kInstall + "2");
    if (!c.script.empty()) WriteScript(c.script);
    if (c.arrange) c.arrange(ctx, os);
    EXPECT_EQ(RunUninstallation(env, lists), c.result);
    EXPECT_EQ(ui.boxes, c.boxes);
    EXPECT_EQ(ui.progressWindowsOpen + ui.preparingWindowsOpen, 0);
    EXPECT_EQ(os.Exists(kInstall + "\\Game.exe") * kGame + Key(kDemoKey) * kProductKey +
                  os.Exists(kDemoMenu) * kMenuFolder,
              c.stays);
}

// From the first file deletion on, listing `pattern` fails with `error`.
Arrange FailListing(std::string pattern, uint32_t error) {
    return [pattern, error](SetupContext&, FakeOs& os) {
        // A folder is listed in the long form.
        BeforeEachDelete(os, [&os, pattern, error] {
            os.FailPath("FindFiles", pattern, error);
            os.FailPath("FindFiles", "\\\\?\\" + pattern, error);
        });
    };
}
ShownBox Refused(const std::string& target) {
    return AppBox(RefusalMessage(target), 48);
}

Outcome Row(const char* name, int result, int stays, std::vector<ShownBox> boxes,
            std::string script = "", Arrange arrange = nullptr) {
    return Outcome{name, std::move(script), std::move(arrange), result, std::move(boxes), stays};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UninstallationOutcome,
    ::testing::Values(
        Row("no script", 0, kAll,
            {AppBox("Failed to open inf file.", 0),
             AppBox("4) Failed to load and analyze Inf file (Files Section). Install aborted.", 0)},
            "", [](auto&, auto& os) { os.DeleteFile("C:\\Media\\Setup.inf"); }),
        Row("not installed", 0, kAll,
            {DesktopBox("ｲﾝｽﾄｰﾙされていないか、予期せぬｴﾗｰのためｱﾝｲﾝｽﾄｰﾙできません。", "ｱﾝｲﾝｽﾄｰﾙ",
                        48)},
            "", [](auto& ctx, auto&) { ctx.TargetDir = ""; }),
        Row("missing at count", 0, kAll,
            {AppBox("ｲﾝｽﾄｰﾙ/ｱﾝｲﾝｽﾄｰﾙに必要なﾌｧｲﾙもしくはﾃﾞｨﾚｸﾄﾘ\n" + kInstall +
                        "\\Readme.txt\nが見つかりませんでした。",
                    48)},
            "",
            [](auto&, auto& os) {
                os.SetFileAttributes(kInstall + "\\Readme.txt", 0);
                os.DeleteFile(kInstall + "\\Readme.txt");
            }),
        Row("key refused by the registry", 0, kProductKey | kMenuFolder, {}, "",
            [](auto&, auto& os) { os.AddKey(HKEY_CURRENT_USER_, kDemoKey + "\\Other"); }),
        Row("refused target", 0, kAll, {Refused("C:\\Program Files")}, "",
            [](auto& ctx, auto&) { ctx.TargetDir = "C:\\Program Files\\"; }),
        Row("refused key", 0, kAll, {Refused("SOFTWARE\\Microsoft")},
            kScript + "DELETE REG:Microsoft\n"),
        Row("menu missing", 1, kMenuFolder, {kUninstallDone}, "",
            [](auto& ctx, auto&) { ctx.MENU_NAME = "ﾃﾞﾓｿﾌﾄ\\無い"; }),
        Row("folder inside a removed one", 1, 0, {kUninstallDone},
            kScript + "DELETE DIR:<INSTALL DIR>\\save\n"),
        Row("a name alike is not the product's", 1, 0, {kUninstallDone},
            kScript + "DELETE DIR:" + kInstall + "2\n", FailListing(kInstall + "2\\*.*", 3)),
        Row("climbs out of the install folder", 0, kAll, {Refused(kInstall + "\\..\\Hoshi2")},
            kScript + "DELETE DIR:<INSTALL DIR>\\..\\Hoshi2\n"),
        Row("glued to the menu folder's name", 0, kAll, {Refused(kDemoMenu + "2")},
            kScript + "DELETE MENU:<MENU DIR>2\n"),
        Row("inside, but unlistable", 0, kProductKey | kMenuFolder, {},
            kScript + "DELETE DIR:<INSTALL DIR>\\Data\n", FailListing(kInstall + "\\Data\\*.*", 5)),
        Row("another action's placeholder stays", 0, kAll, {Refused(kInstall + "\\<MENU DIR>")},
            "[Uninstall]\nDELETE FILE:<INSTALL DIR>\\<MENU DIR>\n"),
        Row("own placeholder only, trimmed", 1, kAll, {kUninstallDone},
            "[Uninstall]\nDELETE REG:<REG ROOT>\\<INSTALL DIR>\\\\\n",
            [](auto&, auto& os) { os.AddKey(HKEY_CURRENT_USER_, kDemoKey + "\\<INSTALL DIR>"); })));

}  // namespace
}  // namespace setup
