// The two windows the engines show while they work, as the engines see
// them, and the progress arithmetic both the real window and the tests use.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

// String resources used as the progress window's title.
constexpr int kInstallProgressTitle = 116;
constexpr int kUninstallProgressTitle = 117;

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

// A titled box with a status line, a percentage and a bar. It keeps the
// window that was active when it was created disabled until it is destroyed;
// the user cannot close it. SetPos and StepIt pump the message queue first.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual int Create() = 0;
    virtual void Show() = 0;
    virtual void SetRange(int32_t lower, int32_t upper) = 0;
    virtual void SetStep(int32_t step) = 0;
    virtual int32_t SetPos(int32_t position) = 0;
    virtual int32_t StepIt() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void DestroyWindow() = 0;
};

// The captionless "preparing" box shown while sizes are measured.
class PreparingWindow {
public:
    virtual ~PreparingWindow() = default;
    virtual int Create() = 0;
    // Shows the window and has it painted in full at the next pump.
    virtual void Show() = 0;
    virtual void DestroyWindow() = 0;
};

}  // namespace setup
