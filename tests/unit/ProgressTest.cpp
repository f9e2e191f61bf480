#include <gtest/gtest.h>

#include <climits>

#include "ui/Progress.h"

namespace setup {
namespace {

TEST(PercentText, IsClampedAndNeverWraps) {
    EXPECT_EQ(PercentText(0, 0, 10), "0%");
    EXPECT_EQ(PercentText(5, 0, 10), "50%");
    EXPECT_EQ(PercentText(2, 0, 3), "66%");  // truncated
    EXPECT_EQ(PercentText(10, 0, 10), "100%");
    EXPECT_EQ(PercentText(11, 0, 10), "100%");  // not 10%
    EXPECT_EQ(PercentText(20, 0, 10), "100%");  // not 0%
    EXPECT_EQ(PercentText(-3, 0, 10), "0%");
    EXPECT_EQ(PercentText(15, 10, 20), "50%");
    EXPECT_EQ(PercentText(35000, 0, 70000), "50%");             // bounds past 16 bits
    EXPECT_EQ(PercentText(INT_MAX, INT_MIN, INT_MAX), "100%");  // no overflow
}

TEST(PercentText, AnEmptyOrReversedRangeShowsZero) {
    EXPECT_EQ(PercentText(0, 0, 0), "0%");
    EXPECT_EQ(PercentText(5, 5, 5), "0%");
    EXPECT_EQ(PercentText(3, 10, 2), "0%");
}

TEST(ProgressCounter, SteppingPastTheEndHoldsTheBarFull) {
    ProgressCounter bar;
    bar.SetRange(0, 1);
    bar.SetStep(1);
    EXPECT_EQ(bar.SetPos(0), 0);
    for (int i = 0; i < 3; ++i) bar.StepIt();
    EXPECT_EQ(bar.Pos(), 1);
    EXPECT_EQ(bar.Percent(), "100%");
}

TEST(ProgressCounter, ReturnsThePreviousPositionAndStaysInRange) {
    ProgressCounter bar;  // 0..100, step 10
    EXPECT_EQ(bar.StepIt(), 0);
    EXPECT_EQ(bar.SetPos(95), 10);
    EXPECT_EQ(bar.StepIt(), 95);
    EXPECT_EQ(bar.Pos(), 100);
    EXPECT_EQ(bar.SetPos(-5), 100);
    EXPECT_EQ(bar.Pos(), 0);
    bar.SetRange(0, 0);
    EXPECT_EQ(bar.StepIt(), 0);
    EXPECT_EQ(bar.Percent(), "0%");
    bar.SetRange(0, 100);
    bar.SetPos(50);
    bar.SetRange(0, 20);  // a narrower range pulls the position in
    EXPECT_EQ(bar.Pos(), 20);
}

}  // namespace
}  // namespace setup
