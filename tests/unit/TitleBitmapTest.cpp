#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>

#include "fakes/BmpBuilder.h"
#include "support/SetupFixture.h"
#include "ui/TitleBitmap.h"

namespace setup {
namespace {

uint32_t InfoField(const TitleBitmap& b, size_t at) {
    return b.info[at] | (b.info[at + 1] << 8) | (b.info[at + 2] << 16) |
           (static_cast<uint32_t>(b.info[at + 3]) << 24);
}

BmpLayout Layout(int32_t w, int32_t h, uint16_t bits = 24, uint32_t compression = 0,
                 uint32_t used = 0, uint32_t headerSize = 40) {
    BmpLayout s;
    s.width = w, s.height = h, s.bitCount = bits, s.compression = compression;
    s.coloursUsed = used, s.headerSize = headerSize;
    return s;
}

TEST(ParseTitleBitmap, AcceptsEveryDrawableBitCount) {
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        const BmpLayout layout = Layout(5, 3, bits);  // rows padded to four bytes
        TitleBitmap bmp;
        ASSERT_TRUE(ParseTitleBitmap(MakeBmp(layout), bmp)) << bits;
        EXPECT_EQ(bmp.width, 5);
        EXPECT_EQ(bmp.DrawHeight(), 3);
        EXPECT_EQ(bmp.bitCount, bits);
        const size_t table = bits < 16 ? 4u << bits : 4u;
        EXPECT_EQ(bmp.info.size(), 40 + table) << bits;
        EXPECT_EQ(bmp.pixels.size(), BmpStride(layout) * 3) << bits;
        EXPECT_EQ(InfoField(bmp, 0), 40u);
    }
}

TEST(ParseTitleBitmap, TopDownBitmapsKeepTheirSignAndDrawAtTheirHeight) {
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(MakeBmp(Layout(4, -7)), bmp));
    EXPECT_EQ(bmp.height, -7);
    EXPECT_EQ(bmp.DrawHeight(), 7);
    EXPECT_EQ(static_cast<int32_t>(InfoField(bmp, 8)), -7);
}

TEST(ParseTitleBitmap, AShortColourTableIsPaddedAndPixelsComeFromTheOffset) {
    BmpLayout layout = Layout(4, 3, 8, 0, 16);
    layout.fill = 0x0F;
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(MakeBmp(layout), bmp));
    ASSERT_EQ(bmp.info.size(), 40u + 256 * 4);
    EXPECT_EQ(InfoField(bmp, 40 + 15 * 4), 0x0F0F0Fu);  // the file's last entry
    EXPECT_EQ(InfoField(bmp, 40 + 16 * 4), 0u);         // the rest is empty
    EXPECT_EQ(bmp.pixels.front(), 0x0F);
}

TEST(ParseTitleBitmap, LongerHeaderFormsBecomeAPlainInfoHeader) {
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(MakeBmp(Layout(4, 3, 8, 0, 0, 124)), bmp));
    EXPECT_EQ(InfoField(bmp, 0), 40u);
    EXPECT_EQ(InfoField(bmp, 40 + 200 * 4), 0xC8C8C8u);  // the table after the long header
}

TEST(ParseTitleBitmap, AColourCountWithoutATableIsDropped) {
    // 24 bits naming 300 colours: a palette hint GDI would read past the block for.
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(MakeBmp(Layout(4, 3, 24, 0, 300)), bmp));
    EXPECT_EQ(InfoField(bmp, 32), 0u);
}

std::string With(std::string file, size_t at, uint64_t value, int bytes) {
    PutLe(file, at, value, bytes);
    return file;
}

// Bytes from hex digits; blanks between bytes are ignored.
std::string Hex(const char* digits) {
    std::string bytes;
    for (const char* p = digits; *p; ++p) {
        if (*p != ' ') bytes += static_cast<char>(std::stoi(std::string(p++, 2), nullptr, 16));
    }
    return bytes;
}

// A run-length file, 4 pixels (8 bits) or 5 pixels (4 bits) wide.
BmpLayout Rle(uint16_t bits, const char* stream, int32_t height = 3) {
    BmpLayout s = Layout(bits == 8 ? 4 : 5, height, bits, bits == 8 ? 1 : 2);
    s.rle = Hex(stream);
    return s;
}

std::string Fields(uint16_t bits, std::array<uint32_t, 3> masks, uint32_t headerSize = 40) {
    BmpLayout s = Layout(4, 3, bits, 3, 0, headerSize);
    std::copy(masks.begin(), masks.end(), s.masks);
    return MakeBmp(s);
}

TEST(ParseTitleBitmap, DecodesRunLengthStreamsAndStopsSafelyWhereTheyBreak) {
    struct Case {
        const char* name;
        uint16_t bits;
        const char* stream;
        const char* rows;  // the decoded rows, bottom first
    };
    const Case cases[] = {
        {"runs, lines, end", 8, "0201 0202 0000 0403 0001 0105", "01010202 03030303 00000000"},
        {"absolute run, padded", 8, "0003 050607 00 0108 0001", "05060708 00000000 00000000"},
        {"delta right and up", 8, "0101 0002 0201 0109", "01000000 00000009 00000000"},
        {"run past the right edge", 8, "0201 0302 0000 0105", "01010000 00000000 00000000"},
        {"absolute past the edge", 8, "0101 0004 01020304", "01000000 00000000 00000000"},
        {"delta past the right edge", 8, "0101 0002 0400 0102", "01000000 00000000 00000000"},
        {"delta past the top", 8, "0101 0002 0003 0102", "01000000 00000000 00000000"},
        {"run past the top", 8, "0000 0000 0000 0101", "00000000 00000000 00000000"},
        {"absolute past the top", 8, "0000 0000 0000 0003 010203", "00000000 00000000 00000000"},
        {"ends inside a run", 8, "0101 01", "01000000 00000000 00000000"},
        {"ends inside a delta", 8, "0101 0002 01", "01000000 00000000 00000000"},
        {"ends inside an absolute run", 8, "0101 0003 0102", "01000000 00000000 00000000"},
        {"ends in the padding", 8, "0003 050607", "05060700 00000000 00000000"},
        {"4-bit runs, absolute", 4, "0512 0000 0003 1230 0245", "12121000 12345000 00000000"},
        {"4-bit absolute, padded", 4, "0005 ABCDE000 0000 0190", "ABCDE000 90000000 00000000"},
        {"4-bit delta", 4, "0002 0101 01F0", "00000000 0F000000 00000000"},
        {"4-bit run past the edge", 4, "0211 0422", "11000000 00000000 00000000"},
    };
    for (const Case& c : cases) {
        TitleBitmap bmp;
        ASSERT_TRUE(ParseTitleBitmap(MakeBmp(Rle(c.bits, c.stream)), bmp)) << c.name;
        EXPECT_EQ(std::string(bmp.pixels.begin(), bmp.pixels.end()), Hex(c.rows)) << c.name;
        EXPECT_EQ(InfoField(bmp, 16), 0u) << c.name;  // GDI gets plain rows
    }
}

TEST(ParseTitleBitmap, BitFieldsFollowAPlainHeaderWhereverTheFileKeptThem) {
    for (uint16_t bits : {16, 32}) {
        for (uint32_t headerSize : {40, 56, 108, 124}) {
            TitleBitmap bmp;
            ASSERT_TRUE(ParseTitleBitmap(Fields(bits, {0x7C00, 0x3E0, 0x1F}, headerSize), bmp));
            ASSERT_EQ(bmp.info.size(), 52u);
            EXPECT_EQ(InfoField(bmp, 40), 0x7C00u) << headerSize;
            EXPECT_EQ(InfoField(bmp, 48), 0x1Fu) << headerSize;
            EXPECT_EQ(bmp.pixels.front(), 0x5A) << headerSize;
        }
    }
}

TEST(ParseTitleBitmap, RefusesWhatItCannotTrust) {
    const std::string good = MakeBmp(BmpLayout{});
    const std::string good8 = MakeBmp(Layout(4, 3, 8));
    const std::string rle = MakeBmp(Rle(8, "0101"));
    const std::string fields = Fields(16, {0xF800, 0x7E0, 0x1F});
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"empty", ""},
        {"shorter than its headers", good.substr(0, 53)},
        {"not BM", With(good, 0, 'M' | ('B' << 8), 2)},
        {"pixel offset past the end", With(good, 10, good.size() + 1, 4)},
        {"pixel offset inside the headers", With(good, 10, 53, 4)},
        {"pixel offset inside the colour table", With(good8, 10, 54 + 1023, 4)},
        {"file size below the pixel offset", With(good, 2, 53, 4)},
        {"file size zero", With(good, 2, 0, 4)},
        {"2 bits", MakeBmp(Layout(4, 3, 2))},
        {"0 bits", With(good, 28, 0, 2)},
        {"64 bits", With(good, 28, 64, 2)},
        {"RLE8 without a stream", MakeBmp(Layout(4, 3, 8, 1))},
        {"RLE8 top-down", MakeBmp(Rle(8, "0101", -3))},
        {"RLE8 at 4 bits", With(MakeBmp(Rle(4, "0101")), 30, 1, 4)},
        {"RLE4 at 8 bits", With(rle, 30, 2, 4)},
        {"RLE stream past the end", With(rle, 34, 5, 4)},
        {"RLE stream cut by the file size", With(rle, 2, rle.size() - 1, 4)},
        {"bit fields at 24 bits", MakeBmp(Layout(4, 3, 24, 3))},
        {"bit fields masks past the headers", With(fields, 10, 54 + 11, 4)},
        {"bit fields zero mask", Fields(16, {0xF800, 0, 0x1F})},
        {"bit fields overlapping", Fields(16, {0xF800, 0x0FE0, 0x1F})},
        {"bit fields with a gap", Fields(32, {0xFF0000, 0xFF00, 0x8F})},
        {"bit fields past the pixel", Fields(16, {0x1F0000, 0x7E0, 0x1F})},
        {"JPEG inside", MakeBmp(Layout(4, 3, 24, 4))},
        {"PNG inside", MakeBmp(Layout(4, 3, 24, 5))},
        {"zero width", With(good, 18, 0, 4)},
        {"negative width", With(good, 18, static_cast<uint32_t>(-4), 4)},
        {"width too large", With(good, 18, 16385, 4)},
        {"zero height", With(good, 22, 0, 4)},
        {"height INT_MIN", With(good, 22, 0x80000000u, 4)},
        {"height too large", With(good, 22, 16385, 4)},
        {"top-down height too large", With(good, 22, static_cast<uint32_t>(-16385), 4)},
        {"pixels one byte short", good.substr(0, good.size() - 1)},
        {"file size cuts the pixels", With(good, 2, good.size() - 1, 4)},
        {"huge claimed image", With(With(good, 18, 16384, 4), 22, 16384, 4)},
        {"more colours than the table has", MakeBmp(Layout(4, 3, 4, 0, 17))},
        {"core header", With(good, 14, 12, 4)},
        {"header size beyond the file", With(good, 14, 0xFFFFFFF0u, 4)},
    };
    for (const auto& c : cases) {
        TitleBitmap bmp;
        bmp.width = 99;
        EXPECT_FALSE(ParseTitleBitmap(c.file, bmp)) << c.name;
        EXPECT_EQ(bmp.width, 99) << c.name << ": output touched";
    }
}

class LoadTitleBitmapTest : public SetupFixture {
protected:
    void SetUp() override {
        OpenMedium("C:\\Media\\");
        ctx.TITLE_BMP = "title.bmp";
    }
    TitleBitmap bmp;
};

TEST_F(LoadTitleBitmapTest, LoadsFromTheStartDirectory) {
    os.AddFile("C:\\Media\\title.bmp", MakeBmp(BmpLayout{}));
    EXPECT_EQ(LoadTitleBitmap(os, ui, ctx.TITLE_BMP, bmp), 1);
    EXPECT_TRUE(bmp.Loaded());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LoadTitleBitmapTest, EachFailureHasItsMessage) {
    EXPECT_EQ(LoadTitleBitmap(os, ui, ctx.TITLE_BMP, bmp), 0);
    os.AddFile("C:\\Media\\title.bmp", "BMgarbage");
    EXPECT_EQ(LoadTitleBitmap(os, ui, ctx.TITLE_BMP, bmp), 0);
    os.FailPath("ReadFile", "C:\\Media\\title.bmp", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(LoadTitleBitmap(os, ui, ctx.TITLE_BMP, bmp), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{
                            AppBox("タイトル画像ファイルがありません。", 48),
                            AppBox("読み込んだファイルの形式が正しくありません。", 48),
                            AppBox("タイトル画像ファイルのオープンに失敗しました。", 48)}));
    EXPECT_FALSE(bmp.Loaded());
}

TEST_F(LoadTitleBitmapTest, AnEmptyNameNamesTheFolderWhichCannotBeOpened) {
    ctx.TITLE_BMP.clear();
    EXPECT_EQ(LoadTitleBitmap(os, ui, ctx.TITLE_BMP, bmp), 0);
    EXPECT_EQ(
        ui.boxes,
        (std::vector<ShownBox>{AppBox("タイトル画像ファイルのオープンに失敗しました。", 48)}));
}

}  // namespace
}  // namespace setup
