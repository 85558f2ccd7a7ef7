// Clebsch-Gordan coefficients against known values.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "atom/clebsch.h"

namespace {

TEST(ClebschGordan, KnownCoefficients) {
    EXPECT_NEAR(atom::clebsch_gordan(1, 0, 1, 0, 2, 0), std::sqrt(2.0 / 3.0), 1e-14);
    EXPECT_NEAR(atom::clebsch_gordan(1, 1, 1, -1, 0, 0), 1.0 / std::sqrt(3.0), 1e-14);
    EXPECT_NEAR(atom::clebsch_gordan(1, 0, 1, 0, 0, 0), -1.0 / std::sqrt(3.0), 1e-14);
    EXPECT_NEAR(atom::clebsch_gordan(1, 1, 1, 0, 1, 1), 1.0 / std::sqrt(2.0), 1e-14);
    EXPECT_NEAR(atom::clebsch_gordan(1, 0, 1, 0, 1, 0), 0.0, 1e-14);
    EXPECT_NEAR(atom::clebsch_gordan(2, 2, 1, -1, 3, 1), std::sqrt(1.0 / 15.0), 1e-14);
    EXPECT_NEAR(atom::clebsch_gordan(0, 0, 3, 2, 3, 2), 1.0, 1e-14);
    EXPECT_EQ(atom::clebsch_gordan(1, 1, 1, 1, 1, 2), 0.0);  // |M| > L
    EXPECT_EQ(atom::clebsch_gordan(1, 0, 1, 0, 3, 0), 0.0);  // outside the triangle
}

}  // namespace
