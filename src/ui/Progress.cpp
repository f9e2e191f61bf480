#include "ui/Progress.h"

#include "core/Text.h"

namespace setup {

std::string PercentText(int64_t position, int32_t lower, int32_t upper) {
    const int64_t span = int64_t{upper} - lower;
    if (span <= 0) return "0%";
    int64_t percent = (position - lower) * 100 / span;
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    return Format("%d%%", static_cast<int>(percent));
}

void ProgressCounter::SetRange(int32_t lower, int32_t upper) {
    lower_ = lower;
    upper_ = upper;
    pos_ = Clamp(pos_);
}

int32_t ProgressCounter::Clamp(int64_t position) const {
    if (upper_ <= lower_ || position < lower_) return lower_;
    if (position > upper_) return upper_;
    return static_cast<int32_t>(position);
}

int32_t ProgressCounter::SetPos(int32_t position) {
    const int32_t previous = pos_;
    pos_ = Clamp(position);
    return previous;
}

int32_t ProgressCounter::StepIt() {
    const int32_t previous = pos_;
    pos_ = Clamp(int64_t{pos_} + step_);
    return previous;
}

}  // namespace setup
