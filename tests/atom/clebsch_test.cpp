// Clebsch-Gordan coefficients: known values, the table fill, orthonormality and symmetry.
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

TEST(ClebschGordan, TableFillIsOrthonormalSymmetricAndStopsAtTheLargestL) {
    std::vector<double> table(atom::kCgEntries, 7.0);  // stale values must be zeroed
    const int l[] = {0, 1, 2, 3, 1};
    atom::fill_clebsch_gordan(table.data(), 5, l);
    for (int l1 = 0; l1 <= 3; ++l1)
        for (int l2 = 0; l2 <= 3; ++l2)
            for (int L = std::abs(l1 - l2); L <= l1 + l2; ++L)
                for (int M = -L; M <= L; ++M) {
                    double sum = 0.0;
                    for (int m1 = -l1; m1 <= l1; ++m1) {
                        const int m2 = M - m1;
                        if (std::abs(m2) > l2) continue;
                        const double c = table[atom::cg_index(l1, l2, L, m1, m2)];
                        sum += c * c;
                        const double swapped = table[atom::cg_index(l2, l1, L, m2, m1)];
                        EXPECT_NEAR(swapped, ((l1 + l2 - L) % 2 ? -c : c), 1e-13);
                        EXPECT_DOUBLE_EQ(c, atom::clebsch_gordan(l1, m1, l2, m2, L, M));
                    }
                    EXPECT_NEAR(sum, 1.0, 1e-13) << l1 << " " << l2 << " " << L << " " << M;
                }
    EXPECT_EQ(table[atom::cg_index(4, 0, 4, 0, 0)], 0.0);
    EXPECT_EQ(table[atom::cg_index(3, 3, 7, 0, 0)], 0.0);

    const int s_only[] = {0, 0};
    atom::fill_clebsch_gordan(table.data(), 2, s_only);
    EXPECT_EQ(table[atom::cg_index(0, 0, 0, 0, 0)], 1.0);
    EXPECT_EQ(table[atom::cg_index(1, 1, 2, 0, 0)], 0.0);
}

}  // namespace
