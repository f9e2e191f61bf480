#include "ui/TitleBitmap.h"

#include <cstring>
#include <new>

#include "core/Text.h"
#include "system/FileUtil.h"

namespace setup {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kMaskBytes = 12;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

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

// The compressions we draw, each only at the bit count it is defined for.
bool SupportedCompression(uint32_t compression, uint16_t bits) {
    switch (compression) {
    case kBiRgb:
        return true;
    case kBiRle8:
        return bits == 8;
    case kBiRle4:
        return bits == 4;
    case kBiBitfields:
        return bits == 16 || bits == 32;
    default:
        return false;
    }
}

// Red, green and blue masks: each one unbroken run of bits inside the pixel,
// and no bit in two of them. Anything else has no sensible colour.
bool UsableMasks(const uint32_t (&masks)[3], uint16_t bits) {
    const uint32_t pixel = bits == 32 ? 0xFFFFFFFFu : (uint32_t{1} << bits) - 1;
    uint32_t seen = 0;
    for (uint32_t mask : masks) {
        if (mask == 0 || (mask & ~pixel) != 0 || (mask & seen) != 0) return false;
        const uint32_t lowest = mask & (~mask + 1);
        if (((mask + lowest) & mask) != 0) return false;  // a gap between its bits
        seen |= mask;
    }
    return true;
}

// Expands an RLE8 or RLE4 stream into bottom-up rows of the same bit count
// (`image` holds `rows` rows of `stride` bytes, all index 0). A run, absolute
// run or delta that would leave the image, or a stream that ends inside a
// code, ends the decode there: what was drawn stays, the rest keeps index 0.
void DecodeRle(std::string_view stream, uint16_t bits, uint32_t width, uint32_t rows, size_t stride,
               std::vector<uint8_t>& image) {
    const auto byte = [stream](size_t at) { return static_cast<uint8_t>(stream[at]); };
    const auto put = [&](uint32_t x, uint32_t y, uint8_t index) {
        uint8_t& target = image[y * stride + (bits == 8 ? x : x / 2)];
        if (bits == 8) {
            target = index;
        } else {
            target = x % 2 ? static_cast<uint8_t>((target & 0xF0) | index)
                           : static_cast<uint8_t>((target & 0x0F) | (index << 4));
        }
    };
    // Pixel i of a 4-bit run or absolute run: high nibble first.
    const auto nibble = [](uint8_t pair, uint32_t i) {
        return static_cast<uint8_t>(i % 2 ? pair & 0x0F : pair >> 4);
    };

    uint32_t x = 0;
    uint32_t y = 0;
    size_t at = 0;
    while (stream.size() - at >= 2) {
        const uint8_t count = byte(at);
        const uint8_t code = byte(at + 1);
        at += 2;
        if (count > 0) {  // an encoded run
            if (y >= rows || count > width - x) return;
            for (uint32_t i = 0; i < count; ++i) put(x + i, y, bits == 8 ? code : nibble(code, i));
            x += count;
        } else if (code == 0) {  // end of line
            x = 0;
            ++y;
        } else if (code == 1) {  // end of bitmap
            return;
        } else if (code == 2) {  // delta: right and up
            if (stream.size() - at < 2) return;
            const uint32_t dx = byte(at);
            const uint32_t dy = byte(at + 1);
            at += 2;
            if (dx > width - x || uint64_t{y} + dy >= rows) return;
            x += dx;
            y += dy;
        } else {  // an absolute run of `code` pixels, padded to a 16-bit boundary
            const size_t bytes = bits == 8 ? code : (code + 1u) / 2;
            if (stream.size() - at < bytes) return;
            if (y >= rows || code > width - x) return;
            for (uint32_t i = 0; i < code; ++i) {
                put(x + i, y, bits == 8 ? byte(at + i) : nibble(byte(at + i / 2), i));
            }
            x += code;
            at += bytes + bytes % 2;
            if (at > stream.size()) return;
        }
    }
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
    const uint32_t imageSize = U32(file, info + 20);
    const uint32_t coloursUsed = U32(file, info + 32);
    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    const bool bitfields = compression == kBiBitfields;

    if (!KnownInfoHeaderSize(headerSize)) return false;
    if (!SupportedBitCount(bitCount) || !SupportedCompression(compression, bitCount)) return false;
    if (width <= 0 || width > kMaxTitleBitmapSide) return false;
    if (height == 0 || height < -kMaxTitleBitmapSide || height > kMaxTitleBitmapSide) return false;
    if (rle && height < 0) return false;  // a compressed bitmap is always bottom-up

    // The colour table: always 2^bits entries for the program's info block;
    // the file itself holds the entries it uses, right after its header.
    // Bit-field masks follow a plain header and are part of the longer ones,
    // where they sit at the same place.
    const uint64_t tableEntries = bitCount < 16 ? (uint64_t{1} << bitCount) : 0;
    if (bitCount < 16 && coloursUsed > tableEntries) return false;
    const uint64_t entriesInFile = bitCount < 16 ? (coloursUsed ? coloursUsed : tableEntries) : 0;
    const uint64_t tableStart = kFileHeaderBytes + uint64_t{headerSize};
    const uint64_t masksAfterHeader = bitfields && headerSize == kInfoHeaderBytes ? kMaskBytes : 0;
    const uint64_t headersEnd = tableStart + masksAfterHeader + 4 * entriesInFile;
    if (headersEnd > fileLength) return false;
    if (pixelOffset < headersEnd || pixelOffset > fileLength) return false;
    if (sizeField < pixelOffset) return false;

    uint32_t masks[3] = {};
    if (bitfields) {
        for (int i = 0; i < 3; ++i)
            masks[i] = U32(file, kFileHeaderBytes + kInfoHeaderBytes + 4 * i);
        if (!UsableMasks(masks, bitCount)) return false;
    }

    const uint64_t stride = ((uint64_t{static_cast<uint32_t>(width)} * bitCount + 31) / 32) * 4;
    const uint64_t rows = height < 0 ? -int64_t{height} : int64_t{height};
    // A compressed stream is as long as the file says, an uncompressed image
    // as its rows need.
    const uint64_t needed = rle ? imageSize : stride * rows;
    const uint64_t pixelEnd = sizeField < fileLength ? sizeField : fileLength;
    if (pixelEnd - pixelOffset < needed || (rle && imageSize == 0)) return false;

    TitleBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitCount = bitCount;
    const uint64_t afterHeader = tableEntries ? 4 * tableEntries : bitfields ? kMaskBytes : 4;
    bitmap.info.assign(static_cast<size_t>(kInfoHeaderBytes + afterHeader), 0);
    std::memcpy(bitmap.info.data(), file.data() + info, kInfoHeaderBytes);
    // The block is a plain 40-byte header whatever the file's form was, and
    // a colour count only means something where the block has the table.
    PutU32(bitmap.info, 0, kInfoHeaderBytes);
    if (bitCount >= 16) PutU32(bitmap.info, 32, 0);
    if (bitfields) {
        for (int i = 0; i < 3; ++i) PutU32(bitmap.info, kInfoHeaderBytes + 4 * i, masks[i]);
    }
    std::memcpy(bitmap.info.data() + kInfoHeaderBytes, file.data() + tableStart,
                static_cast<size_t>(4 * entriesInFile));
    const auto pixels =
        file.substr(static_cast<size_t>(pixelOffset), static_cast<size_t>(pixelEnd - pixelOffset));
    if (rle) {
        // GDI gets the decoded rows; the stream is never handed on.
        PutU32(bitmap.info, 16, kBiRgb);
        PutU32(bitmap.info, 20, static_cast<uint32_t>(stride * rows));
        // A short stream may stand for a large image: memory that cannot be
        // had is a bitmap we cannot draw, not the end of the program.
        try {
            bitmap.pixels.assign(static_cast<size_t>(stride * rows), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        DecodeRle(pixels.substr(0, imageSize), bitCount, static_cast<uint32_t>(width),
                  static_cast<uint32_t>(rows), static_cast<size_t>(stride), bitmap.pixels);
    } else {
        bitmap.pixels.assign(pixels.begin(), pixels.end());
    }
    out = std::move(bitmap);
    return true;
}

int LoadTitleBitmap(Os& os, Ui& ui, const std::string& name, TitleBitmap& out) {
    std::string folder;
    os.GetCurrentDirectory(folder);
    const std::string path = TrimTrailingBackslashes(folder) + "\\" + name;

    if (os.GetFileAttributes(path) == win::INVALID_FILE_ATTRIBUTES_) {
        ui.AppMessageBox("タイトル画像ファイルがありません。", mb::ICONEXCLAMATION);
        return 0;
    }
    std::string file;
    if (!os.ReadFile(path, file)) {
        ui.AppMessageBox("タイトル画像ファイルのオープンに失敗しました。", mb::ICONEXCLAMATION);
        return 0;
    }
    if (!ParseTitleBitmap(file, out)) {
        ui.AppMessageBox("読み込んだファイルの形式が正しくありません。", mb::ICONEXCLAMATION);
        return 0;
    }
    return 1;
}

}  // namespace setup
