#include <gtest/gtest.h>

#include <climits>

#include "core/ScriptReader.h"
#include "support/SetupFixture.h"

namespace setup {
namespace {

struct Fields {
    std::string a, b, c;
    int32_t n = -7, m = -7;
};

TEST(ScanLine, SplitsAtSeparatorsWithoutTrimming) {
    Fields f;
    ScanLine("COPY : Data :x\n", "%s:%s:%s\n", {f.a, f.b, f.c});
    EXPECT_EQ(f.a, "COPY ");
    EXPECT_EQ(f.b, " Data ");
    EXPECT_EQ(f.c, "x");
}

TEST(ScanLine, LastTextFieldRunsToTheNewlineAndKeepsSeparators) {
    Fields f;
    ScanLine("KEY=a=b:c\n", "%s=%s\n", {f.a, f.b});
    EXPECT_EQ(f.a, "KEY");
    EXPECT_EQ(f.b, "a=b:c");
}

TEST(ScanLine, QuotesProtectSeparatorsAndAreRemoved) {
    Fields f;
    ScanLine("COPY:\"C:\\Game\":\"x\"y\n", "%s:%s:%s\n", {f.a, f.b, f.c});
    EXPECT_EQ(f.b, "C:\\Game");
    EXPECT_EQ(f.c, "xy");
}

TEST(ScanLine, AnOpenQuoteRunsAcrossSeparatorsToTheEndOfTheLine) {
    Fields f;
    ScanLine("\"a:b:c\n", "%s:%s:%s\n", {f.a, f.b, f.c});
    EXPECT_EQ(f.a, "a:b:c\n");  // the newline too: the quote is still open there
    EXPECT_EQ(f.b, "");
    EXPECT_EQ(f.c, "");
}

TEST(ScanLine, QuotesMayOpenAndCloseInsideAField) {
    Fields f;
    ScanLine("a\":b:c\":d\n", "%s:%s:%s\n", {f.a, f.b, f.c});
    EXPECT_EQ(f.a, "a:b:c");
    EXPECT_EQ(f.b, "d\n");  // stops only at ":", so the newline stays in the field
    EXPECT_EQ(f.c, "");
}

TEST(ScanLine, MissingFieldsGiveEmptyTextAndZero) {
    Fields f;
    ScanLine("COPY:Data\n", "%s:%s:%d:%s\n", {f.a, f.b, f.n, f.c});
    EXPECT_EQ(f.a, "COPY");
    EXPECT_EQ(f.b, "Data\n");  // a field stops only at its own separator
    EXPECT_EQ(f.n, 0);
    EXPECT_EQ(f.c, "");
}

TEST(ScanLine, ALineWithoutSeparatorFillsTheFirstFieldNewlineIncluded) {
    Fields f;
    ScanLine("DELETE FILE\n", "%s:%s\n", {f.a, f.b});
    EXPECT_EQ(f.a, "DELETE FILE\n");
    EXPECT_EQ(f.b, "");
}

TEST(ScanLine, NumbersStartWithTheirDigitsOrAreZero) {
    Fields f;
    ScanLine("-5:12ab:x\n", "%d:%d:%s\n", {f.n, f.m, f.a});
    EXPECT_EQ(f.n, 0);   // no sign: the rest up to ":" is skipped
    EXPECT_EQ(f.m, 12);  // digits stop at the first other byte
    EXPECT_EQ(f.a, "x");
    ScanLine(" 7:1\n", "%d:%d\n", {f.n, f.m});
    EXPECT_EQ(f.n, 0);
    EXPECT_EQ(f.m, 1);
}

TEST(ScanLine, NumberOverflowWrapsModulo2To32) {
    Fields f;
    ScanLine("4294967297:2147483648\n", "%d:%d\n", {f.n, f.m});
    EXPECT_EQ(f.n, 1);
    EXPECT_EQ(f.m, INT_MIN);
    ScanLine("99999999999999999999999999\n", "%d\n", {f.n});  // no UB however long
}

TEST(ScanLine, OctalFormsAndUnknownConversions) {
    Fields f;
    ScanLine("017:19\n", "%O:%O\n", {f.n, f.m});
    EXPECT_EQ(f.n, 15);  // leading 0: base 8
    EXPECT_EQ(f.m, 19);
    ScanLine("010:x\n", "%lq:%s\n", {f.n, f.a});
    EXPECT_EQ(f.n, 8);
    EXPECT_EQ(f.a, "x");
    // "%q" takes no destination and consumes nothing.
    ScanLine("ab:cd\n", "%q%s:%s\n", {f.a, f.b});
    EXPECT_EQ(f.a, "ab");
    EXPECT_EQ(f.b, "cd");
}

TEST(ScanLine, JapaneseTextIsNeverCut) {
    Fields f;
    ScanLine("COPY:ソフト\\表示:予定\n", "%s:%s:%s\n", {f.a, f.b, f.c});
    EXPECT_EQ(f.b, "ソフト\\表示");
    EXPECT_EQ(f.c, "予定");
}

TEST(ScanLine, FewerDestinationsThanConversionsAreSafe) {
    Fields f;
    EXPECT_EQ(ScanLine("a:1:b\n", "%s:%d:%s\n", {f.a}), 0);
    EXPECT_EQ(f.a, "a");
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

}  // namespace
}  // namespace setup
