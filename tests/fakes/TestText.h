// Small helpers shared by the host tests.
#pragma once

#include <iconv.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/SetupContext.h"

namespace setup {

// UTF-8 to code page 932, as a script author's editor would save it.
inline std::string ToCp932(std::string_view utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv CP932");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* dst = &out[0];
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) throw std::runtime_error("not representable in CP932");
    out.resize(out.size() - outLeft);
    return out;
}

// A trace stream that keeps what is written to it.
class CapturedTrace : public TextSink {
public:
    explicit CapturedTrace(std::string& into) : into_(into) {}
    void Write(std::string_view text) override { into_.append(text); }

private:
    std::string& into_;
};

inline void AttachTrace(SetupContext& ctx, std::string& into) {
    ctx.TraceStream = std::make_unique<CapturedTrace>(into);
}

}  // namespace setup
