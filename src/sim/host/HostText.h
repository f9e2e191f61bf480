// The simulated machine's rules of text on a host that is not Windows, from
// its C library: the uppercase of the C.UTF-8 locale and iconv's code page
// 932, which the Os contract suite holds against Windows' own.
#pragma once

#include "sim/SimulatedOs.h"

namespace setup {

class HostText final : public SimulatedText {
public:
    // The one instance of the process; throws std::runtime_error when the C
    // library has no C.UTF-8 locale.
    static const HostText& Instance();

    const std::u16string& UpperTable() const override { return upper_; }
    char16_t DoubleByte(uint8_t lead, uint8_t trail) const override;

private:
    HostText();
    std::u16string upper_;
};

}  // namespace setup
