// libFuzzer target: the title bitmap parser on any bytes. What it accepts must
// be safe to hand to CreateDIBitmap: a header naming no compression (run-length
// files arrive decoded), a full colour table or the three masks of bit fields,
// and at least as many pixel bytes as the image needs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/TitleBitmap.h"

using namespace setup;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TitleBitmap bmp;
    if (!ParseTitleBitmap(std::string_view(reinterpret_cast<const char*>(data), size), bmp)) {
        return 0;
    }
    if (bmp.width <= 0 || bmp.width > kMaxTitleBitmapSide) std::abort();
    if (bmp.DrawHeight() <= 0 || bmp.DrawHeight() > kMaxTitleBitmapSide) std::abort();
    const uint32_t compression = bmp.info[16] | bmp.info[17] << 8 | bmp.info[18] << 16;
    if (bmp.info[19] != 0 || (compression != 0 && compression != 3)) std::abort();
    const uint64_t masks = compression == 3 ? 12 : 4;
    const uint64_t tableBytes = bmp.bitCount < 16 ? (uint64_t{4} << bmp.bitCount) : masks;
    if (bmp.info.size() != 40 + tableBytes) std::abort();
    const uint64_t stride = ((uint64_t(bmp.width) * bmp.bitCount + 31) / 32) * 4;
    if (bmp.pixels.size() < stride * uint64_t(bmp.DrawHeight())) std::abort();
    return 0;
}
