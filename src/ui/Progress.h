// The progress arithmetic of the progress window: its percentage text and
// the bar's range, step and position.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

// The percentage shown beside the bar, "0%" to "100%": clamped, never
// wrapped; an empty range shows "0%".
std::string PercentText(int64_t position, int32_t lower, int32_t upper);

// Range, step and position of a progress bar. The position stays inside the
// range: stepping past the upper bound holds the bar full.
class ProgressCounter {
public:
    void SetRange(int32_t lower, int32_t upper);
    void SetStep(int32_t step) { step_ = step; }
    // Both return the position before the call.
    int32_t SetPos(int32_t position);
    int32_t StepIt();

    int32_t Lower() const { return lower_; }
    int32_t Upper() const { return upper_; }
    int32_t Step() const { return step_; }
    int32_t Pos() const { return pos_; }
    std::string Percent() const { return PercentText(pos_, lower_, upper_); }

private:
    int32_t Clamp(int64_t position) const;

    int32_t lower_ = 0;
    int32_t upper_ = 100;
    int32_t step_ = 10;
    int32_t pos_ = 0;
};

}  // namespace setup
