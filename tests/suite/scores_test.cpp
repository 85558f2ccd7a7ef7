// Sub-score arithmetic at the reference figures and around them, in the precision each uses.
#include "suite/scores.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SubScore, ReferenceScoresOneThousandHalfTimeOrDoubleRateTwoThousand) {
    const struct {
        float got, want;
    } rows[] = {
        {suite::md_subscore(75.75f), 1000.0f},
        {suite::md_subscore(75.75f / 2), 2000.0f},
        {suite::md_subscore(75.75f * 2), 500.0f},
        {suite::orbitra_subscore(330.626f), 1000.0f},
        {suite::orbitra_subscore(330.626f / 2), 2000.0f},
        {suite::memory_subscore(3924.38f, 87.3f), 1000.0f},
        // Twice the bandwidth and half the latency: both halves give 2000.
        {suite::memory_subscore(2 * 3924.38f, 87.3f / 2), 2000.0f},
        {suite::blas_subscore(5521.23f, 2751.78f), 1000.0f},
        {suite::blas_subscore(2 * 5521.23f, 2751.78f), 1500.0f},
        {suite::cipher_subscore(112.51), 1000.0f},
        {suite::cipher_subscore(225.02), 2000.0f},
    };
    for (const auto& r : rows) EXPECT_FLOAT_EQ(r.got, r.want) << &r - rows;
}

TEST(SubScore, SinglePrecisionExceptTheCipher) {
    // Float and double arithmetic round these figures differently (checked by the EXPECT_NEs);
    // each score must match its own precision bit for bit.
    const float t = 2.59f;
    const float single = (75.75f - t) / t * 1000.0f + 1000.0f;
    EXPECT_EQ(suite::md_subscore(t), single);
    EXPECT_NE(single, static_cast<float>((75.75 - double(t)) / double(t) * 1000.0 + 1000.0));
    const double r = 123.456;
    const float wide = static_cast<float>((r - 112.51) / 112.51 * 1000.0 + 1000.0);
    EXPECT_EQ(suite::cipher_subscore(r), wide);
    EXPECT_NE(wide, (static_cast<float>(r) - 112.51f) / 112.51f * 1000.0f + 1000.0f);
}

TEST(SubScore, OnlyPositiveFiniteFiguresAreUsable) {
    EXPECT_TRUE(suite::usable_figure(1e-9));
    for (double bad : {0.0, -3.0, HUGE_VAL, std::nan("")}) EXPECT_FALSE(suite::usable_figure(bad));
}

}  // namespace
