// Sub-score arithmetic at the reference figures and around them, in the precision each uses.
#include "suite/scores.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(SubScore, TimesScoreInverselyAroundTheReference) {
    EXPECT_FLOAT_EQ(suite::md_subscore(75.75f), 1000.0f);
    EXPECT_FLOAT_EQ(suite::md_subscore(75.75f / 2), 2000.0f);
    EXPECT_FLOAT_EQ(suite::md_subscore(75.75f * 2), 500.0f);
    EXPECT_FLOAT_EQ(suite::orbitra_subscore(330.626f), 1000.0f);
    EXPECT_FLOAT_EQ(suite::orbitra_subscore(330.626f / 2), 2000.0f);
}

TEST(SubScore, RatesScoreProportionallyToTheReference) {
    EXPECT_FLOAT_EQ(suite::memory_subscore(3924.38f, 87.3f), 1000.0f);
    // Twice the bandwidth and half the latency: both halves give 2000.
    EXPECT_FLOAT_EQ(suite::memory_subscore(2 * 3924.38f, 87.3f / 2), 2000.0f);
    EXPECT_FLOAT_EQ(suite::blas_subscore(5521.23f, 2751.78f), 1000.0f);
    EXPECT_FLOAT_EQ(suite::blas_subscore(2 * 5521.23f, 2751.78f), 1500.0f);
    EXPECT_FLOAT_EQ(suite::cipher_subscore(112.51), 1000.0f);
    EXPECT_FLOAT_EQ(suite::cipher_subscore(225.02), 2000.0f);
}

TEST(SubScore, SinglePrecisionExceptTheCipher) {
    // The same figure through float and double arithmetic rounds differently; each score
    // must match its own precision bit for bit.
    const float t = 2.59f;
    const float single = (75.75f - t) / t * 1000.0f + 1000.0f;
    const float doubled = static_cast<float>((75.75 - double(t)) / double(t) * 1000.0 + 1000.0);
    EXPECT_EQ(suite::md_subscore(t), single);
    EXPECT_NE(single, doubled);
    const double r = 123.456;
    const float wide = static_cast<float>((r - 112.51) / 112.51 * 1000.0 + 1000.0);
    EXPECT_EQ(suite::cipher_subscore(r), wide);
    const float narrow = (static_cast<float>(r) - 112.51f) / 112.51f * 1000.0f + 1000.0f;
    EXPECT_NE(wide, narrow);  // the test would not tell the two apart otherwise
}

TEST(SubScore, OnlyPositiveFiniteFiguresAreUsable) {
    EXPECT_TRUE(suite::usable_figure(1e-9));
    EXPECT_FALSE(suite::usable_figure(0.0));
    EXPECT_FALSE(suite::usable_figure(-3.0));
    EXPECT_FALSE(suite::usable_figure(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(suite::usable_figure(std::nan("")));
}

}  // namespace
