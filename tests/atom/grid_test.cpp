// The grid: override values, the adjustment for the nucleus, the points (first r init * q,
// last r final).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "atom/atomstate.h"
#include "deck_fixtures.h"
#include "support/temp_dir.h"

namespace {

using atom_testing::orbital;

TEST(AtomGrid, OverrideReplacesTheDeckGridAndTheNucleusScalesIt) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    // A Z = 47 deck with a grid of its own; the override wins.
    atom_testing::write_file("Ag.in",
                             atom_testing::deck(47, 250, "0.01", "25", orbital(1, 0, 0, 0), 1));
    atom::AtomState st;
    atom::GridOverride g;
    g.active = true;
    g.points = 1000;
    g.rinit = 0.001;
    g.rfinal = 400;
    std::string err;
    ASSERT_TRUE(atom::atom_setup(st, "Ag.in", g, 50, err)) << err;
    EXPECT_EQ(st.points, 1000);
    EXPECT_DOUBLE_EQ(st.rinit, 0.001 / 47);
    EXPECT_DOUBLE_EQ(st.rfinal, 400 / std::sqrt(47.0));
    EXPECT_DOUBLE_EQ(st.dlog, std::log(st.rfinal / st.rinit) / 1000);
    const double q = std::exp(std::log(st.rfinal / st.rinit) / 1000);
    EXPECT_DOUBLE_EQ(st.r.values.front(), st.rinit * q);
    EXPECT_NEAR(st.r.values.back(), st.rfinal, 1e-9 * st.rfinal);
    EXPECT_DOUBLE_EQ(st.dr.values[10], st.r.values[10] * (1.0 - 1.0 / q));
    // Every radial function carries the adjusted header.
    EXPECT_EQ(st.wf.u[0].points, 1000);
    EXPECT_EQ(st.vx.v[0].rinit, st.rinit);
    // Starting potential: the bare nucleus, V_H and V_X zero.
    EXPECT_DOUBLE_EQ(st.vtot.v[0].values[5], -47.0 / st.r.values[5]);
    EXPECT_EQ(st.vh.v[0].values[5], 0.0);

    const std::string listing = atom_testing::read_file("radgridpositions");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1000);
    char first[80];
    std::snprintf(first, sizeof first, "%f10    %f10 \n", st.r.values[0], st.dr.values[0]);
    EXPECT_EQ(listing.substr(0, std::strlen(first)), first);
}

}  // namespace
