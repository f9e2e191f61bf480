#include "ui/TitleBitmap.h"

#include <cstring>

#include "core/Text.h"
#include "system/FileUtil.h"

namespace setup {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr uint32_t kBiRgb = 0;

uint16_t U16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) |
                                 (static_cast<uint8_t>(b[at + 1]) << 8));
}
uint32_t U32(std::string_view b, size_t at) {
    return static_cast<uint32_t>(U16(b, at)) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}
void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool SupportedBitCount(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Header sizes the file may carry before its colour table: the plain
// BITMAPINFOHEADER and its later, longer forms.
bool KnownInfoHeaderSize(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

}  // namespace

bool ParseTitleBitmap(std::string_view file, TitleBitmap& out) {
    const uint64_t fileLength = file.size();
    if (fileLength < kFileHeaderBytes + kInfoHeaderBytes) return false;
    if (file[0] != 'B' || file[1] != 'M') return false;
    const uint64_t sizeField = U32(file, 2);
    const uint64_t pixelOffset = U32(file, 10);

    const size_t info = kFileHeaderBytes;
    const uint32_t headerSize = U32(file, info);
    const int32_t width = static_cast<int32_t>(U32(file, info + 4));
    const int32_t height = static_cast<int32_t>(U32(file, info + 8));
    const uint16_t bitCount = U16(file, info + 14);
    const uint32_t compression = U32(file, info + 16);
    const uint32_t coloursUsed = U32(file, info + 32);

    if (!KnownInfoHeaderSize(headerSize)) return false;
    if (!SupportedBitCount(bitCount) || compression != kBiRgb) return false;
    if (width <= 0 || width > kMaxTitleBitmapSide) return false;
    if (height == 0 || height < -kMaxTitleBitmapSide || height > kMaxTitleBitmapSide) return false;

    // The colour table: always 2^bits entries for the program's info block;
    // the file itself holds the entries it uses, right after its header.
    const uint64_t tableEntries = bitCount < 16 ? (uint64_t{1} << bitCount) : 0;
    if (bitCount < 16 && coloursUsed > tableEntries) return false;
    const uint64_t entriesInFile = bitCount < 16 ? (coloursUsed ? coloursUsed : tableEntries) : 0;
    const uint64_t tableStart = kFileHeaderBytes + uint64_t{headerSize};
    const uint64_t headersEnd = tableStart + 4 * entriesInFile;
    if (headersEnd > fileLength) return false;
    if (pixelOffset < headersEnd || pixelOffset > fileLength) return false;
    if (sizeField < pixelOffset) return false;

    const uint64_t stride = ((uint64_t{static_cast<uint32_t>(width)} * bitCount + 31) / 32) * 4;
    const uint64_t rows = height < 0 ? -int64_t{height} : int64_t{height};
    const uint64_t needed = stride * rows;
    const uint64_t pixelEnd = sizeField < fileLength ? sizeField : fileLength;
    if (pixelEnd - pixelOffset < needed) return false;

    TitleBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitCount = bitCount;
    bitmap.info.assign(kInfoHeaderBytes + 4 * (tableEntries ? tableEntries : 1), 0);
    std::memcpy(bitmap.info.data(), file.data() + info, kInfoHeaderBytes);
    // The block is a plain 40-byte header whatever the file's form was, and
    // a colour count only means something where the block has the table.
    PutU32(bitmap.info, 0, kInfoHeaderBytes);
    if (bitCount >= 16) PutU32(bitmap.info, 32, 0);
    std::memcpy(bitmap.info.data() + kInfoHeaderBytes, file.data() + tableStart,
                static_cast<size_t>(4 * entriesInFile));
    bitmap.pixels.assign(file.begin() + static_cast<ptrdiff_t>(pixelOffset),
                         file.begin() + static_cast<ptrdiff_t>(pixelEnd));
    out = std::move(bitmap);
    return true;
}

int LoadTitleBitmap(SetupEnv& env, TitleBitmap& out) {
    std::string folder;
    env.os.GetCurrentDirectory(folder);
    const std::string path = TrimTrailingBackslashes(folder) + "\\" + env.ctx.TITLE_BMP;

    if (env.os.GetFileAttributes(path) == win::INVALID_FILE_ATTRIBUTES_) {
        env.ui.AppMessageBox("タイトル画像ファイルがありません。", mb::ICONEXCLAMATION);
        return 0;
    }
    std::string file;
    if (!env.os.ReadFile(path, file)) {
        env.ui.AppMessageBox("タイトル画像ファイルのオープンに失敗しました。", mb::ICONEXCLAMATION);
        return 0;
    }
    if (!ParseTitleBitmap(file, out)) {
        env.ui.AppMessageBox("読み込んだファイルの形式が正しくありません。", mb::ICONEXCLAMATION);
        return 0;
    }
    return 1;
}

}  // namespace setup
