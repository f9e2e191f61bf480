#include <gtest/gtest.h>

#include <climits>

#include "fakes/BmpBuilder.h"
#include "fakes/FakeOs.h"
#include "fakes/FakeUi.h"
#include "ui/TitleBitmap.h"

namespace setup {
namespace {

uint32_t InfoField(const TitleBitmap& b, size_t at) {
    return b.info[at] | (b.info[at + 1] << 8) | (b.info[at + 2] << 16) |
           (static_cast<uint32_t>(b.info[at + 3]) << 24);
}

TEST(ParseTitleBitmap, AcceptsEveryDrawableBitCount) {
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        BmpLayout layout;
        layout.width = 5;  // rows padded to four bytes
        layout.bitCount = bits;
        const std::string file = MakeBmp(layout);
        TitleBitmap bmp;
        ASSERT_TRUE(ParseTitleBitmap(file, bmp)) << bits;
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
    BmpLayout layout;
    layout.height = -7;
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(MakeBmp(layout), bmp));
    EXPECT_EQ(bmp.height, -7);
    EXPECT_EQ(bmp.DrawHeight(), 7);
    EXPECT_EQ(static_cast<int32_t>(InfoField(bmp, 8)), -7);
}

TEST(ParseTitleBitmap, AShortColourTableIsPaddedAndPixelsComeFromTheOffset) {
    BmpLayout layout;
    layout.bitCount = 8;
    layout.coloursUsed = 16;
    layout.fill = 0x0F;
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(MakeBmp(layout), bmp));
    ASSERT_EQ(bmp.info.size(), 40u + 256 * 4);
    EXPECT_EQ(InfoField(bmp, 40 + 15 * 4), 0x0F0F0Fu);  // the file's last entry
    EXPECT_EQ(InfoField(bmp, 40 + 16 * 4), 0u);         // the rest is empty
    EXPECT_EQ(bmp.pixels.front(), 0x0F);
}

TEST(ParseTitleBitmap, LongerHeaderFormsBecomeAPlainInfoHeader) {
    BmpLayout layout;
    layout.headerSize = 124;
    layout.bitCount = 8;
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(MakeBmp(layout), bmp));
    EXPECT_EQ(InfoField(bmp, 0), 40u);
    EXPECT_EQ(InfoField(bmp, 40 + 200 * 4), 0xC8C8C8u);  // the table after the long header
}

TEST(ParseTitleBitmap, AColourCountWithoutATableIsDropped) {
    BmpLayout layout;
    layout.coloursUsed = 300;  // 24 bits: a palette hint GDI would read past the block for
    std::string file = MakeBmp(layout);
    TitleBitmap bmp;
    ASSERT_TRUE(ParseTitleBitmap(file, bmp));
    EXPECT_EQ(InfoField(bmp, 32), 0u);
}

struct Broken {
    const char* name;
    std::string file;
};

std::string With(std::string file, size_t at, uint64_t value, int bytes) {
    PutLe(file, at, value, bytes);
    return file;
}

BmpLayout Layout(int32_t w, int32_t h, uint16_t bits = 24, uint32_t compression = 0,
             uint32_t used = 0, uint32_t headerSize = 40) {
    BmpLayout s;
    s.width = w, s.height = h, s.bitCount = bits, s.compression = compression;
    s.coloursUsed = used, s.headerSize = headerSize;
    return s;
}

TEST(ParseTitleBitmap, RefusesWhatItCannotTrust) {
    const std::string good = MakeBmp(BmpLayout{});
    const std::string good8 = MakeBmp(Layout(4, 3, 8));
    const std::vector<Broken> cases = {
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
        {"RLE8", MakeBmp(Layout(4, 3, 8, 1))},
        {"bit fields", MakeBmp(Layout(4, 3, 32, 3))},
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
    for (const Broken& c : cases) {
        TitleBitmap bmp;
        bmp.width = 99;
        EXPECT_FALSE(ParseTitleBitmap(c.file, bmp)) << c.name;
        EXPECT_EQ(bmp.width, 99) << c.name << ": output touched";
    }
}

class LoadTitleBitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        os.AddFolder("C:\\Media");
        os.SetCurrentDirectory("C:\\Media\\");
        ctx.TITLE_BMP = "title.bmp";
    }
    FakeOs os;
    FakeUi ui;
    SetupContext ctx;
    SetupEnv env{ctx, os, ui};
    TitleBitmap bmp;
};

TEST_F(LoadTitleBitmapTest, LoadsFromTheStartDirectory) {
    os.AddFile("C:\\Media\\title.bmp", MakeBmp(BmpLayout{}));
    EXPECT_EQ(LoadTitleBitmap(env, bmp), 1);
    EXPECT_TRUE(bmp.Loaded());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(LoadTitleBitmapTest, EachFailureHasItsMessage) {
    EXPECT_EQ(LoadTitleBitmap(env, bmp), 0);
    os.AddFile("C:\\Media\\title.bmp", "BMgarbage");
    EXPECT_EQ(LoadTitleBitmap(env, bmp), 0);
    os.FailPath("ReadFile", "C:\\Media\\title.bmp", win::ERROR_ACCESS_DENIED_);
    EXPECT_EQ(LoadTitleBitmap(env, bmp), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{
                            AppBox("タイトル画像ファイルがありません。", 48),
                            AppBox("読み込んだファイルの形式が正しくありません。", 48),
                            AppBox("タイトル画像ファイルのオープンに失敗しました。", 48)}));
    EXPECT_FALSE(bmp.Loaded());
}

TEST_F(LoadTitleBitmapTest, AnEmptyNameNamesTheFolderWhichCannotBeOpened) {
    ctx.TITLE_BMP.clear();
    EXPECT_EQ(LoadTitleBitmap(env, bmp), 0);
    EXPECT_EQ(ui.boxes, (std::vector<ShownBox>{
                            AppBox("タイトル画像ファイルのオープンに失敗しました。", 48)}));
}

}  // namespace
}  // namespace setup
