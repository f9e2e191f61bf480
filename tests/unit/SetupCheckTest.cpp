// The author's checker on media written to a scratch folder: each broken
// script or medium must give its findings at its lines, and the round trip
// must see what an uninstall leaves and what it names but never met.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "check/Checker.h"
#include "core/SetupContext.h"
#include "fakes/BmpBuilder.h"
#include "fakes/TestText.h"
#include "sim/host/HostText.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

// A product that installs and uninstalls cleanly: each row breaks it in one way.
constexpr char kScript[] =
    "[Setup]\n"                                       // 1
    "TITLE_BMP=title.bmp\n"                           // 2
    "BRAND_NAME=ﾃｽﾄ\n"                                // 3
    "GAME_NAME=試験\n"                                 // 4
    "MENU_NAME=試験\n"                                 // 5
    "INSTALL_DIR=ﾃｽﾄ\\試験\n"                          // 6
    "REG_ROOT_KEY_NAME=Test\n"                        // 7
    "GAME_EXE_NAME=Game.exe\n"                        // 8
    "[Files]\n"                                       // 9
    "COPY:Game.exe:1:1:1:<INSTALL DIR>:試験\n"         // 10
    "COPY:Data\\*.dat:0:1:1:<INSTALL DIR>\\Data:\n"   // 11
    "[Registory]\n"                                   // 12
    "CREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\n"      // 13
    "[Uninstall]\n"                                   // 14
    "DELETE DIR:<INSTALL DIR>\n"                      // 15
    "DELETE REG:<REG ROOT>\n"                         // 16
    "DELETE MENU:<MENU DIR>\n";                       // 17

struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;  // replacements in the script
    std::vector<std::pair<std::string, std::string>> files;  // extra medium files (path, bytes)
    std::vector<std::string> expected;                       // "code:line" (0: no line)
    const char* raw = nullptr;                               // the script's bytes, as they are
};

class SetupCheck : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/setup-check-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    void Put(const std::string& relative, const std::string& bytes) {
        const fs::path path = fs::u8path(root_ + "/" + relative);
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // The clean product with `row`'s changes, checked.
    CheckReport Check(const Row& row) {
        std::string script = kScript;
        for (const auto& [from, to] : row.edits) {
            const size_t at = script.find(from);
            EXPECT_NE(std::string::npos, at) << from;
            if (at != std::string::npos) script.replace(at, from.size(), to);
        }
        Put("Setup.inf", row.raw ? std::string(row.raw) : ToCp932(script));
        // What a test put there first stays.
        if (!fs::exists(fs::symlink_status(root_ + "/title.bmp"))) Put("title.bmp", MakeBmp(BmpLayout{}));
        Put("Game.exe", "game");
        Put("Data/a.dat", "aaaa");
        for (const auto& [path, bytes] : row.files) Put(path, bytes);
        Medium medium;
        std::string error;
        EXPECT_TRUE(ReadMediumFolder(root_, HostText::Instance(), medium, error)) << error;
        return CheckMedium(medium, HostText::Instance());
    }

    std::string root_;
};

std::vector<std::string> Codes(const CheckReport& report) {
    std::vector<std::string> codes;
    for (const Finding& f : report.findings) {
        codes.push_back(f.code + ":" + std::to_string(f.line));
    }
    return codes;
}

TEST_F(SetupCheck, CleanProductRoundTripsEveryType) {
    const CheckReport report = Check(Row{});
    EXPECT_TRUE(report.findings.empty()) << ::testing::PrintToString(Codes(report));
    for (const TypeCheck& type : report.types) EXPECT_TRUE(type.Clean());
    EXPECT_EQ(2, report.types[kSetupStandard].files);
    EXPECT_EQ("約 " + std::string("8 Bytes") + " の空き容量が必要です。",
              report.types[kSetupStandard].sizeText);
}

TEST_F(SetupCheck, EachMistakeIsFoundAtItsLine) {
    const Row rows[] = {
        {"UTF-8 without BOM", {}, {}, {"script-encoding:1"}, "[Setup]\nGAME_NAME=試験\n"},
        {"UTF-8 with BOM", {}, {}, {"script-encoding:1", "title-bitmap:0"}, "\xEF\xBB\xBF[Setup]\n"},
        {"a byte no character has", {}, {}, {"script-encoding:2"}, "[Setup]\n;\xFD\n"},
        {"misspelt section", {{"[Registory]", "[Registry]"}}, {},
         {"script-section:12", "script-ignored:13", "product-install-value:0"}},
        {"unclosed header", {{"[Uninstall]", "[Uninstall"}}, {}, {"script-section:14"}},
        {"header after a blank", {{"[Files]\n", "[Files]\n [Files]\n"}}, {},
         {"script-section:10"}},
        {"unknown action, short line, odd flag",
         {{"CREATE REG:INSTALL", "CREATE REG:Volume:1:1\nSET REG:X:1:1:1:0:\nCREATE REG:INSTALL"},
          {"Data\\*.dat:0:1:1", "Data\\*.dat:0:1:3"}},
         {},
         {"script-fields:13", "script-action:14", "script-flags:11"}},
        {"unknown and missing [Setup] keys", {{"GAME_NAME=", "GAME_NAME ="}}, {},
         {"script-setup-key:4", "script-setup-key:0"}},
        {"placeholders", {{"<INSTALL DIR>\\Data:", "<install dir>\\Data:<INSTALL DIR>"}}, {},
         {"script-placeholder:11", "round-trip-install:0"}},
        {"open quote", {{"COPY:Game.exe", "COPY:\"Game.exe"}}, {}, {"script-quote:10"}},
        {"missing source and empty wildcard",
         {{"COPY:Data", "COPY:Manual.pdf:1:1:1:<INSTALL DIR>:\nCOPY:Movies\\*.mpg:0:0:1:<INSTALL DIR>:\nCOPY:Data"}},
         {},
         {"medium-missing:11", "medium-wildcard:12", "round-trip-without:0"}},
        {"names Windows cannot hold", {}, {{"Data/aux.dat", ""}, {"Data/b.dat.", ""},
                                           {"Data/A.DAT", ""}, {"Data/é.dat", ""}},
         {"medium-name:0", "medium-cp932:0"}},
        {"long path", {}, {{"Data/" + std::string(250, 'x') + ".dat", ""}},
         {"medium-path-length:0"}},
        {"a folder under a target of its name",
         {{"Data:\n", "Data:\nCOPY DIR:Data:1:1:1:<INSTALL DIR>\\Data\\:\n"}}, {},
         {"medium-folder-target:12"}},
        {"a backslash in a name", {}, {{"Data/a\\b.dat", ""}}, {"medium-name:0"}},
        {"a line read in two pieces", {{"[Files]\n", "[Files]\n;" + std::string(800, 'x') + "\n"}},
         {}, {"script-long-line:10"}},
        {"a shortcut that cannot be made",
         {{"<INSTALL DIR>:試験", "<INSTALL DIR>:" + std::string(250, 's')}}, {},
         {"product-shortcut:10"}},
        {"broken bitmap", {}, {{"title.bmp", "BM"}}, {"title-bitmap:2"}},
        {"bitmap wider than the launcher's area", {}, {{"title.bmp", [] {
                                                           BmpLayout wide;
                                                           wide.width = 290;
                                                           return MakeBmp(wide);
                                                       }()}},
         {"title-bitmap-size:2"}},
        {"INSTALL elsewhere", {{"0:<INSTALL DIR>\n[Uninstall]", "0:<CURRENT DIR>\n[Uninstall]"}},
         {}, {"product-install-value:13"}},
        {"game of one type", {{"COPY:Game.exe:1:1:1", "COPY:Game.exe:0:1:1"}}, {},
         {"product-game:8"}},
        {"shortcut to a subfolder's file",
         {{"Data:\n", "Data:\nCOPY:Data\\a.dat:1:1:1:<INSTALL DIR>\\Data:データ\n"}}, {},
         {"product-shortcut:12"}},
        {"two writers", {{"Data:\n", "Data:\nCOPY:Data\\a.dat:0:0:1:<INSTALL DIR>\\Data:\n"}},
         {}, {"product-duplicate:12"}},
        {"refused name", {{"INSTALL_DIR=ﾃｽﾄ\\試験", "INSTALL_DIR=..\\試験"}}, {},
         {"round-trip-install:0"}},
        {"leftover", {{"DELETE DIR:<INSTALL DIR>\n", ""}}, {}, {"round-trip-leftover:0"}},
        {"never made", {{"DELETE MENU:<MENU DIR>", "DELETE MENU:<MENU DIR>\\旧"}}, {},
         {"round-trip-never-made:17"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        const std::vector<std::string> codes = Codes(Check(row));
        for (const std::string& code : row.expected) {
            EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), code))
                << code << " not in " << ::testing::PrintToString(codes);
        }
    }
}

// A pipe would block the reading of the medium for ever.
TEST_F(SetupCheck, WhatIsNoFileIsLeftOut) {
    ASSERT_EQ(0, mkfifo((root_ + "/title.bmp").c_str(), 0600));
    const std::vector<std::string> codes = Codes(Check(Row{}));
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), "medium-name:0"));
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), "title-bitmap:2"));
}

TEST_F(SetupCheck, RoundTripListsWhatIsLeftAndWhatWasNeverMade) {
    const CheckReport report = Check(Row{"", {{"DELETE DIR:<INSTALL DIR>\n", "DELETE DIR:<INSTALL DIR>\\Data\n"},
                                              {"DELETE MENU:<MENU DIR>", "DELETE MENU:<MENU DIR>\\旧"}},
                                        {},
                                        {}});
    // Only the standard and full types install Data: without it the minimum
    // type's uninstall stops before it removes anything.
    EXPECT_FALSE(report.types[kSetupMinimum].uninstalled);
    const TypeCheck& full = report.types[kSetupFull];
    EXPECT_TRUE(full.installed && full.uninstalled);
    EXPECT_NE(full.leftovers.end(), std::find(full.leftovers.begin(), full.leftovers.end(),
                                              "file C:\\Program Files\\ﾃｽﾄ\\試験\\Game.exe"));
    // The menu folder the uninstall leaves, and the one it names but never met.
    EXPECT_NE(full.leftovers.end(),
              std::find(full.leftovers.begin(), full.leftovers.end(),
                        "shortcut C:\\Users\\player\\AppData\\Roaming\\Microsoft\\Windows\\Start "
                        "Menu\\Programs\\ﾃｽﾄ\\試験\\試験.lnk"));
    EXPECT_EQ(std::vector<std::string>{"C:\\Users\\player\\AppData\\Roaming\\Microsoft\\Windows\\"
                                       "Start Menu\\Programs\\ﾃｽﾄ\\試験\\旧"},
              full.neverMade);
}

}  // namespace
}  // namespace setup
