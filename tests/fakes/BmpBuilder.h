// Builds BMP files for tests, valid by default, with every field open to
// being broken on purpose.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

struct BmpLayout {
    int32_t width = 4;
    int32_t height = 3;  // negative: top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    uint32_t headerSize = 40;
    uint8_t fill = 0x5A;  // every pixel byte
    // RLE8 and RLE4 (compression 1, 2): the compressed stream is the pixel
    // data and its length the image size.
    std::string rle;
    // Bit fields (compression 3): red, green, blue; after a 40-byte header,
    // inside the longer ones.
    uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
};

inline void PutLe(std::string& b, size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline uint64_t BmpStride(const BmpLayout& s) {
    return ((static_cast<uint64_t>(static_cast<uint32_t>(s.width)) * s.bitCount + 31) / 32) * 4;
}

inline std::string MakeBmp(const BmpLayout& s) {
    const uint64_t entries =
        s.bitCount < 16 ? (s.coloursUsed ? s.coloursUsed : (uint64_t{1} << s.bitCount)) : 0;
    const bool rle = s.compression == 1 || s.compression == 2;
    const bool bitfields = s.compression == 3;
    const uint64_t masks = bitfields && s.headerSize == 40 ? 12 : 0;
    const uint64_t offset = 14 + s.headerSize + masks + 4 * entries;
    const uint64_t rows = s.height < 0 ? -int64_t{s.height} : s.height;
    const uint64_t size = offset + (rle ? s.rle.size() : BmpStride(s) * rows);
    std::string b(static_cast<size_t>(size), '\0');
    b[0] = 'B';
    b[1] = 'M';
    PutLe(b, 2, size, 4);
    PutLe(b, 10, offset, 4);
    PutLe(b, 14, s.headerSize, 4);
    PutLe(b, 18, static_cast<uint32_t>(s.width), 4);
    PutLe(b, 22, static_cast<uint32_t>(s.height), 4);
    PutLe(b, 26, 1, 2);
    PutLe(b, 28, s.bitCount, 2);
    PutLe(b, 30, s.compression, 4);
    PutLe(b, 46, s.coloursUsed, 4);
    for (int i = 0; bitfields && i < 3; ++i) PutLe(b, 54 + 4 * i, s.masks[i], 4);
    for (uint64_t i = 0; i < entries; ++i) {  // a grey ramp
        const uint8_t v = static_cast<uint8_t>(i);
        PutLe(b, static_cast<size_t>(14 + s.headerSize + 4 * i), v | (v << 8) | (v << 16), 4);
    }
    if (rle) {
        PutLe(b, 34, s.rle.size(), 4);
        b.replace(static_cast<size_t>(offset), s.rle.size(), s.rle);
        return b;
    }
    for (uint64_t i = offset; i < size; ++i) b[static_cast<size_t>(i)] = static_cast<char>(s.fill);
    return b;
}

}  // namespace setup
