// The launcher's title bitmap: a Windows BMP file read whole and checked
// field by field before anything in it is trusted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "seams/Os.h"
#include "seams/Ui.h"

namespace setup {

struct TitleBitmap {
    // A BITMAPINFO ready for CreateDIBitmap: the 40-byte BITMAPINFOHEADER
    // (its size field set to 40) followed by the colour table, 2^bits
    // entries for 1, 4 and 8 bits per pixel, the red, green and blue masks
    // for BI_BITFIELDS, one zero entry otherwise. Never a compressed format:
    // RLE8 and RLE4 files arrive decoded, as BI_RGB at their bit count.
    std::vector<uint8_t> info;
    // The pixel data (from the file's pixel offset, or decoded), at least as
    // long as the image needs.
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;  // as stored: negative for a top-down bitmap
    uint16_t bitCount = 0;

    bool Loaded() const { return !info.empty(); }
    // The size drawn on screen, in pixels.
    int32_t DrawWidth() const { return width; }
    int32_t DrawHeight() const { return height < 0 ? -height : height; }
};

// Largest width or height accepted, in pixels.
constexpr int32_t kMaxTitleBitmapSide = 16384;

// Parses a whole BMP file: uncompressed, RLE8, RLE4, or bit fields at 16 and
// 32 bits. false (and `out` untouched) for anything the program cannot draw
// safely: short files, a missing "BM", offsets and sizes that do not fit the
// file, unsupported bit counts or compressions, a top-down compressed image,
// masks that do not describe a colour, absurd dimensions, too few pixels.
// A damaged compressed stream is drawn as far as it goes.
bool ParseTitleBitmap(std::string_view file, TitleBitmap& out);

// Loads the bitmap file `name` (TITLE_BMP) from the start directory. On
// failure shows its message (missing file, file that cannot be opened, wrong
// format) and returns 0.
int LoadTitleBitmap(Os& os, Ui& ui, const std::string& name, TitleBitmap& out);

}  // namespace setup
