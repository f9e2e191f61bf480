#include "sim/host/HostText.h"

#include <iconv.h>
#include <locale.h>

#include <cwctype>
#include <stdexcept>

namespace setup {

const HostText& HostText::Instance() {
    static const HostText text;
    return text;
}

// The simple uppercase of the C.UTF-8 locale, kept only where lowercasing
// gives the unit back. So "ı", "ſ", "ǅ" and "ß" stay themselves, as in
// Windows' table.
HostText::HostText() : upper_(0x10000, u'\0') {
    const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    if (!utf8) throw std::runtime_error("no C.UTF-8 locale for the uppercase table");
    for (wint_t c = 0; c < 0x10000; ++c) {
        const wint_t up = towupper_l(c, utf8);
        upper_[c] = static_cast<char16_t>(up <= 0xFFFF && towlower_l(up, utf8) == c ? up : c);
    }
    freelocale(utf8);
}

char16_t HostText::DoubleByte(uint8_t lead, uint8_t trail) const {
    // One converter per thread: opening it costs more than most scripts do.
    struct Converter {
        iconv_t cd = iconv_open("UTF-16LE", "CP932");
        ~Converter() {
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        }
    };
    thread_local const Converter converter;
    const iconv_t cd = converter.cd;
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[4];
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = 2, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        outLeft != 2) {
        return 0;
    }
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

}  // namespace setup
