#include <gtest/gtest.h>

#include "core/ScriptReader.h"
#include "support/SetupFixture.h"

namespace setup {
namespace {

// Each row scans one line into text destinations a, b, c and number destinations n, m, named
// in order in `into`; the expected values are theirs after the scan, numbers in decimal.
TEST(ScanLine, SplitsEachLineIntoItsDestinations) {
    const struct {
        const char* line;
        const char* format;
        const char* into;
        std::vector<std::string> expected;
    } cases[] = {
        {"COPY : Data :x\n", "%s:%s:%s\n", "abc", {"COPY ", " Data ", "x"}},  // no trimming
        {"KEY=a=b:c\n", "%s=%s\n", "ab", {"KEY", "a=b:c"}},  // the last runs to the newline
        {"COPY:\"C:\\Game\":\"x\"y\n", "%s:%s:%s\n", "abc", {"COPY", "C:\\Game", "xy"}},
        // An open quote runs across separators to the end, the newline too.
        {"\"a:b:c\n", "%s:%s:%s\n", "abc", {"a:b:c\n", "", ""}},
        // Quotes open and close inside a field, which stops only at ":", newline kept.
        {"a\":b:c\":d\n", "%s:%s:%s\n", "abc", {"a:b:c", "d\n", ""}},
        {"COPY:Data\n",
         "%s:%s:%d:%s\n",
         "abnc",
         {"COPY", "Data\n", "0", ""}},                              // missing: empty and 0
        {"DELETE FILE\n", "%s:%s\n", "ab", {"DELETE FILE\n", ""}},  // no separator at all
        // No sign: the rest up to ":" is skipped; digits stop at the first other byte.
        {"-5:12ab:x\n", "%d:%d:%s\n", "nma", {"0", "12", "x"}},
        {" 7:1\n", "%d:%d\n", "nm", {"0", "1"}},
        {"4294967297:2147483648\n", "%d:%d\n", "nm", {"1", "-2147483648"}},  // modulo 2^32
        {"99999999999999999999999999\n", "%d\n", "n", {"-469762049"}},       // no UB however long
        {"017:19\n", "%O:%O\n", "nm", {"15", "19"}},                         // a leading 0: base 8
        {"010:x\n", "%lq:%s\n", "na", {"8", "x"}},
        {"ab:cd\n", "%q%s:%s\n", "ab", {"ab", "cd"}},  // "%q" takes nothing and consumes nothing
        // Japanese text is never cut.
        {"COPY:ソフト\\表示:予定\n", "%s:%s:%s\n", "abc", {"COPY", "ソフト\\表示", "予定"}},
        {"a:1:b\n", "%s:%d:%s\n", "a", {"a"}},  // fewer destinations than conversions
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string text[3];
        int32_t number[2] = {-7, -7};
        std::vector<ScanTarget> into;
        for (const char* d = c.into; *d; ++d) {
            into.push_back(*d >= 'm' ? ScanTarget(number['n' - *d]) : ScanTarget(text[*d - 'a']));
        }
        EXPECT_EQ(ScanLine(c.line, c.format, into), 0);
        std::vector<std::string> got;
        for (const ScanTarget& t : into) {
            got.push_back(t.text ? *t.text : std::to_string(*t.number));
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST(SplitScriptLines, TextModeLineEnds) {
    EXPECT_EQ(SplitScriptLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a\n", "b\rc\n", "d"}));
    EXPECT_EQ(SplitScriptLines("a\r\n\x1A"
                               "b\r\n"),
              (std::vector<std::string>{"a\n"}));
    EXPECT_TRUE(SplitScriptLines("").empty());
}

TEST(SplitScriptLines, LongLinesArriveInPiecesOf779Bytes) {
    const std::string line = std::string(800, 'x') + "\r\n";
    const auto pieces = SplitScriptLines(line);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], std::string(779, 'x'));
    EXPECT_EQ(pieces[1], std::string(21, 'x') + "\n");
}

class ReadSetupScriptTest : public SetupFixture {
protected:
    void SetUp() override { OpenMedium(); }
    void WriteScript(const std::string& utf8) {  // with CRLF line ends, as on Windows
        std::string crlf;
        for (char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        SetupFixture::WriteScript(crlf);
    }
    int Read(int section) { return ReadSetupScript(env, lists, section); }
};

TEST_F(ReadSetupScriptTest, MissingFileFailsWithItsMessageAndChangesNothing) {
    os.SetCurrentDirectory("C:\\");
    ctx.GAME_NAME = "unchanged";
    EXPECT_EQ(Read(kSectionAll), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{AppBox("Failed to open inf file.", 0)}));
    EXPECT_EQ(ctx.GAME_NAME, "unchanged");
}

TEST_F(ReadSetupScriptTest, CommentsAndEmptyLinesOnly) {
    WriteScript("; コメント\n\n;[Setup]\n;GAME_NAME=x\n");
    EXPECT_EQ(Read(kSectionAll), 1);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(lists.Files.empty() && lists.Registry.empty() && lists.Uninstall.empty());
    EXPECT_EQ(ctx.GAME_NAME, "");
}

TEST_F(ReadSetupScriptTest, SetupValuesAreStoredAsJapaneseText) {
    WriteScript(
        "[Setup]\n"
        "GAME_NAME=星の旅路\n"
        "BRAND_NAME=ﾃﾞﾓｿﾌﾄ\n"
        "MENU_NAME=first\n"
        "MENU_NAME=メニュー\n"          // the last one wins
        "INSTALL_DIR=a=b:c\n"           // "=" and ":" inside a value
        "REG_ROOT_KEY_NAME =ignored\n"  // a blank before "=" is part of the key
        "UNKNOWN=ignored\n"
        "TITLE_BMP=\"title.bmp\"\n"
        "GAME_EXE_NAME=ソ\n");
    EXPECT_EQ(Read(kSectionSetup), 1);
    EXPECT_EQ(ctx.GAME_NAME, "星の旅路");
    EXPECT_EQ(ctx.BRAND_NAME, "ﾃﾞﾓｿﾌﾄ");
    EXPECT_EQ(ctx.MENU_NAME, "メニュー");
    EXPECT_EQ(ctx.INSTALL_DIR, "a=b:c");
    EXPECT_EQ(ctx.REG_ROOT_KEY_NAME, "");
    EXPECT_EQ(ctx.TITLE_BMP, "title.bmp");
    EXPECT_EQ(ctx.GAME_EXE_NAME, "ソ");
}

TEST_F(ReadSetupScriptTest, PathsEndingInADoubleByteBackslashCharacterKeepIt) {
    // ソ is 0x83 0x5C in code page 932: its second byte is a backslash.
    WriteScript("[Files]\nCOPY:ソ:1:1:1:<INSTALL DIR>\\ソ:ソ\n");
    ASSERT_EQ(Read(kSectionFiles), 1);
    ASSERT_EQ(lists.Files.size(), 1u);
    EXPECT_EQ(lists.Files[0].Source, "ソ");
    EXPECT_EQ(lists.Files[0].Target, "<INSTALL DIR>\\ソ");
    EXPECT_EQ(lists.Files[0].LinkName, "ソ");
}

TEST_F(ReadSetupScriptTest, SectionsSelectTheLinesThatAreKept) {
    WriteScript(
        "GAME_NAME=before any header\n"
        "[Registry]\n"  // not the program's spelling: no section
        "CREATE KEY:A:1:1:1:0:\n"
        "[Files] ; a comment after the bracket\n"
        "COPY:a.txt:1:0:1:<INSTALL DIR>:Link\n"
        " [Uninstall]\n"  // a blank first: a data line of [Files]
        "[Uninstall\n"    // no closing bracket: no section
        "DELETE FILE:x\n"
        "[Registory]\n"
        "CREATE REG:Sub\\Value:0:1:0:-3:\n"
        "[Uninstall]\n"
        "DELETE DIR:<INSTALL DIR>\n");
    ASSERT_EQ(Read(kSectionAll), 1);
    EXPECT_EQ(ctx.GAME_NAME, "");
    ASSERT_EQ(lists.Files.size(), 2u);
    EXPECT_EQ(lists.Files[0].Action, "COPY");
    EXPECT_EQ(lists.Files[0].TypeFlags[1], 0);
    EXPECT_EQ(lists.Files[0].TypeFlags[2], 1);
    EXPECT_EQ(lists.Files[0].LinkName, "Link");
    EXPECT_EQ(lists.Files[1].Action, " [Uninstall]\n");
    ASSERT_EQ(lists.Registry.size(), 1u);
    EXPECT_EQ(lists.Registry[0].KeyPath, "Sub\\Value");
    EXPECT_EQ(lists.Registry[0].Number, 0);  // a minus sign gives 0
    EXPECT_EQ(lists.Registry[0].Text, "");
    ASSERT_EQ(lists.Uninstall.size(), 1u);
    EXPECT_EQ(lists.Uninstall[0].Action, "DELETE DIR");
}

TEST_F(ReadSetupScriptTest, OnlyTheAskedSectionIsReadAndRereadingAppends) {
    WriteScript(
        "[Setup]\nGAME_NAME=g\n"
        "[Files]\nCOPY:a:1:1:1\n"
        "[Registory]\nCREATE REG:INSTALL:1:1:1:5:<INSTALL DIR>\n"
        "[Uninstall]\nDELETE FILE\n");
    ASSERT_EQ(Read(kSectionFiles), 1);
    EXPECT_EQ(ctx.GAME_NAME, "");
    EXPECT_TRUE(lists.Registry.empty());
    ASSERT_EQ(lists.Files.size(), 1u);
    EXPECT_EQ(lists.Files[0].Target, "");  // five fields: target and link empty
    EXPECT_EQ(lists.Files[0].LinkName, "");

    ASSERT_EQ(Read(kSectionFiles), 1);
    EXPECT_EQ(lists.Files.size(), 2u);

    ASSERT_EQ(Read(kSectionRegistory), 1);
    ASSERT_EQ(lists.Registry.size(), 1u);
    EXPECT_EQ(lists.Registry[0].Number, 5);  // the number comes before the text on the line
    EXPECT_EQ(lists.Registry[0].Text, "<INSTALL DIR>");

    ASSERT_EQ(Read(kSectionUninstall), 1);
    ASSERT_EQ(lists.Uninstall.size(), 1u);
    EXPECT_EQ(lists.Uninstall[0].Action, "DELETE FILE\n");
    EXPECT_EQ(lists.Uninstall[0].Target, "");
}

TEST_F(ReadSetupScriptTest, ALongLineIsReadAsPiecesEachClassifiedByItsFirstByte) {
    // 779 bytes of a [Files] line, then the rest of the same physical line
    // starting with "[Setup]": the second piece is a header of its own.
    std::string first = "COPY:" + std::string(774, 'x');
    WriteScript("[Files]\n" + first + "[Setup]\nGAME_NAME=after\n");
    ASSERT_EQ(Read(kSectionAll), 1);
    ASSERT_EQ(lists.Files.size(), 1u);
    EXPECT_EQ(lists.Files[0].Source, std::string(774, 'x'));
    EXPECT_EQ(ctx.GAME_NAME, "after");
}

TEST_F(ReadSetupScriptTest, FieldsLongerThanTheOldBuffersAreKeptWhole) {
    const std::string longName(700, 'n');
    WriteScript("[Setup]\nGAME_NAME=" + longName + "\n[Files]\nCOPY:" + longName + ":1:1:1\n");
    ASSERT_EQ(Read(kSectionAll), 1);
    EXPECT_EQ(ctx.GAME_NAME, longName);
    ASSERT_EQ(lists.Files.size(), 1u);
    EXPECT_EQ(lists.Files[0].Source, longName);
}

TEST_F(ReadSetupScriptTest, WritesItsTraceLines) {
    KeepTrace();
    WriteScript(
        "[Setup]\nGAME_NAME=星\n"
        "[Files]\nCOPY:a:1:0:1:<INSTALL DIR>:L\n"
        "[Registory]\nCREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\n"
        "[Uninstall]\nDELETE DIR:<INSTALL DIR>\n");
    ASSERT_EQ(Read(kSectionAll), 1);
    EXPECT_EQ(trace,
              "\n"
              "GAME_NAME: 星\n"
              "FILES : COPY:a:1:0:1:<INSTALL DIR>:L\n"
              "REG : CREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>\n"
              "UNINST : DELETE DIR:<INSTALL DIR>\n");
}

// Action words mean something only exactly as written and in their own
// section; in [Files] every other word copies.
TEST(ParseEntryAction, ExactWordsInTheirOwnSection) {
    const struct {
        int section;
        const char* word;
        EntryAction action;
    } rows[] = {
        {kSectionFiles, "COPY DIR", EntryAction::kCopyDir},
        {kSectionFiles, "copy dir", EntryAction::kCopy},
        {kSectionFiles, "", EntryAction::kCopy},
        {kSectionRegistory, "CREATE REG", EntryAction::kCreateReg},
        {kSectionRegistory, "COPY DIR", EntryAction::kUnknown},
        {kSectionUninstall, "DELETE MENU", EntryAction::kDeleteMenu},
        {kSectionUninstall, "DELETE FILE ", EntryAction::kUnknown},
        {kSectionUninstall, "CREATE KEY", EntryAction::kUnknown},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ParseEntryAction(row.section, row.word), row.action) << row.word;
    }
}

}  // namespace
}  // namespace setup
