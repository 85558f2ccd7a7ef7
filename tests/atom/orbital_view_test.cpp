// The orbital view's scene: ring counts and tilt, the turn, the interpolation of u against its
// grid values, the harmonics (values and normalisation over the sphere), the colours and the
// camera moves.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "atom/orbital_view_geometry.h"

namespace {

double norm(const atom::RingSet& s, std::size_t i) {
    return std::hypot(s.xyz[3 * i], s.xyz[3 * i + 1], s.xyz[3 * i + 2]);
}

TEST(OrbitalView, RingSetCountsRadiiAndTilt) {
    EXPECT_EQ(atom::ring_point_count(0), 1);
    EXPECT_EQ(atom::ring_point_count(1), 3);
    EXPECT_EQ(atom::ring_point_count(2), 6);
    EXPECT_EQ(atom::ring_point_count(10), 31);
    EXPECT_EQ(atom::ring_point_count(199), 625);
    atom::RingSet set = atom::build_ring_set();
    ASSERT_EQ(set.size(), 62418u);
    ASSERT_EQ(set.xyz.size(), 3 * 62418u);
    // Ring 1 starts on the x axis; ring 2 where ring 1 ended (three steps of 120 degrees).
    EXPECT_FLOAT_EQ(set.xyz[3], 0.025f);
    EXPECT_NEAR(set.xyz[4], 0.0f, 1e-7);
    EXPECT_NEAR(set.xyz[3 * 4], 0.05f, 1e-6);
    EXPECT_NEAR(set.xyz[3 * 4 + 1], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(set.radius.back(), 199 * 0.025f);

    const double theta = atom::kViewTiltDegrees * atom::kViewDegree;
    atom::tilt_ring_set(set, theta);
    // Every point keeps its radius and lies in the plane turned -70 degrees about x.
    const double c = std::cos(theta), s = std::sin(theta);
    for (std::size_t i = 1; i < set.size(); i += 97) {
        EXPECT_NEAR(norm(set, i), set.radius[i], 1e-5) << i;
        EXPECT_NEAR(set.xyz[3 * i + 1] * s - set.xyz[3 * i + 2] * c, 0.0, 1e-5) << i;
    }
    // The second point of ring 1 (120 degrees): y = 0.025 sin 120 cos t, z = 0.025 sin 120 sin t
    // with t = -70 of the view's degrees (0.0174444 rad): cos t = 0.342604, sin t = -0.939478.
    EXPECT_NEAR(set.xyz[3 * 2 + 1], 0.025 * 0.8660254 * 0.342604, 1e-6);
    EXPECT_NEAR(set.xyz[3 * 2 + 2], 0.025 * 0.8660254 * -0.939478, 1e-6);
}

TEST(OrbitalView, NinetyStepsTurnTheXAxisOntoMinusZ) {
    atom::RingSet set = atom::build_ring_set(2);
    for (int k = 0; k < 90; ++k) atom::turn_ring_set(set, atom::kViewDegree);
    // 90 steps of 0.0174444 rad: cos = 0.000796, sin = 0.9999997; x' = x cos, z' = -x sin.
    EXPECT_NEAR(set.xyz[3], 0.025 * 0.000796293, 1e-7);
    EXPECT_NEAR(set.xyz[5], -0.025 * 0.9999997, 1e-7);
    EXPECT_NEAR(set.xyz[4], 0.0, 1e-7);
}

atom::radgrid grid_of(int points, double rinit, double rfinal, double (*f)(double)) {
    atom::radgrid u;
    u.points = points;
    u.rinit = rinit;
    u.rfinal = rfinal;
    u.dlog = std::log(rfinal / rinit) / points;
    u.values.resize(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i)
        u.values[static_cast<std::size_t>(i)] = f(rinit * std::exp((i + 1) * u.dlog));
    return u;
}

double slater(double r) {
    return r * r * std::exp(-r);
}

TEST(OrbitalView, InterpolationMeetsTheGridValuesAndStaysCloseBetween) {
    const atom::radgrid u = grid_of(1000, 0.001 / 10, 400 / std::sqrt(10.0), slater);
    for (int i : {3, 10, 500, 700, 990}) {
        const double r = u.rinit * std::exp((i + 1) * u.dlog);
        EXPECT_NEAR(atom::interpolate_u(u, r * (1 + 1e-12)), u.values[static_cast<size_t>(i)],
                    1e-12 + 1e-9 * std::fabs(u.values[static_cast<size_t>(i)]))
            << i;
        // Between grid points the second-order step is close where the grid is fine.
        if (r > 2.0) continue;
        const double mid = r * std::exp(0.5 * u.dlog);
        EXPECT_NEAR(atom::interpolate_u(u, mid), slater(mid), 1e-4 * slater(mid) + 1e-14) << i;
    }
    // Every ring radius of the view lies on this grid.
    for (int s = 1; s < atom::kViewRings; s += 13)
        EXPECT_NEAR(atom::interpolate_u(u, s * 0.025), slater(s * 0.025), 1e-4) << s;
    // Off the grid and on grids too short or broken: 0, never a read past the values.
    EXPECT_EQ(atom::interpolate_u(u, 1000.0), 0.0);
    EXPECT_EQ(atom::interpolate_u(u, 0.0), 0.0);
    EXPECT_EQ(atom::interpolate_u(grid_of(4, 0.001, 1, slater), 0.5), 0.0);
    atom::radgrid empty;
    EXPECT_EQ(atom::interpolate_u(empty, 0.5), 0.0);
    atom::radgrid short_values = u;
    short_values.values.resize(10);
    EXPECT_TRUE(std::isfinite(atom::interpolate_u(short_values, 4.0)));
}

TEST(OrbitalView, HarmonicsOfTheTableAndTheirNormalisation) {
    const struct {
        int index;
        double x, y, z, expected;
    } rows[] = {{0, 0, 0, 1, 0.28209479177387814},
                {1, 1, 0, 0, 0.4886025119029199},
                {1, 0, 0, 1, 0.0},
                {2, 0, 0, 1, 0.4886025119029199},
                {3, 0, 1, 0, 0.4886025119029199},
                {4, 0, 1, 0, -0.5462742152960396},
                {5, M_SQRT1_2, 0, M_SQRT1_2, 0.5462742152960396},
                {6, 0, 0, 1, 0.63078313050504},
                {7, 0, M_SQRT1_2, M_SQRT1_2, 0.5462742152960396},
                {8, M_SQRT1_2, M_SQRT1_2, 0, 0.5462742152960396},
                {12, 0, 0, 1, 0.7463526651802308}};
    for (const auto& row : rows)
        EXPECT_NEAR(*atom::real_harmonic(row.index, row.x, row.y, row.z), row.expected, 1e-12)
            << row.index;
    for (int index : {-1, 9, 10, 11, 13, 14, 15, 16}) EXPECT_FALSE(atom::has_harmonic(index));

    // Integral of Y^2 over the sphere (midpoint rule in theta and phi) is 1 for every entry.
    const int nt = 300, np = 600;
    for (int index : {0, 1, 2, 3, 4, 5, 6, 7, 8, 12}) {
        double sum = 0;
        for (int i = 0; i < nt; ++i) {
            const double t = (i + 0.5) * M_PI / nt;
            for (int j = 0; j < np; ++j) {
                const double p = (j + 0.5) * 2 * M_PI / np;
                const double y = *atom::real_harmonic(index, std::sin(t) * std::cos(p),
                                                      std::sin(t) * std::sin(p), std::cos(t));
                sum += y * y * std::sin(t);
            }
        }
        EXPECT_NEAR(sum * (M_PI / nt) * (2 * M_PI / np), 1.0, 1e-4) << index;
    }
    int l = 0, m = 0;
    atom::harmonic_lm(13, l, m);
    EXPECT_EQ(l, 3);
    EXPECT_EQ(m, 1);
    atom::harmonic_lm(3, l, m);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(m, 1);
}

TEST(OrbitalView, ValuesAreRadialTimesHarmonicOrRadialAloneForLThree) {
    const atom::radgrid u = grid_of(1000, 0.0001, 100, slater);
    atom::RingSet set = atom::build_ring_set(20);
    atom::tilt_ring_set(set, atom::kViewTiltDegrees * atom::kViewDegree);
    atom::ring_set_values(set, u, 1);  // l = 1, m = -1: the x harmonic
    for (std::size_t i = 1; i < set.size(); i += 7) {
        const double radial = atom::interpolate_u(u, set.radius[i]);
        EXPECT_NEAR(set.value[i], radial * 0.4886025119029199 * set.xyz[3 * i] / set.radius[i],
                    1e-6)
            << i;
    }
    EXPECT_EQ(set.value[0], 0.0f);      // the centre has no direction
    atom::ring_set_values(set, u, 13);  // l = 3, m = 1: no harmonic, the radial part
    for (std::size_t i = 0; i < set.size(); i += 7)
        EXPECT_NEAR(set.value[i], atom::interpolate_u(u, set.radius[i]), 1e-7) << i;
}

TEST(OrbitalView, ColoursBySignAndCameraMoves) {
    atom::RingSet set;
    set.value = {0.2f, 1.0f, -0.5f, 0.005f};
    const atom::ValueRange r = atom::value_range(set);
    EXPECT_EQ(r.min, -0.5f);
    EXPECT_EQ(r.max, 1.0f);
    EXPECT_FLOAT_EQ(atom::point_colour(0.5f, r)->b, 0.5f);
    EXPECT_FLOAT_EQ(atom::point_colour(-0.25f, r)->r, 0.5f);
    EXPECT_FALSE(atom::point_colour(0.005f, r).has_value());
    EXPECT_FALSE(atom::point_colour(-0.01f, r).has_value());

    atom::ViewCamera c;
    c.move(1);
    EXPECT_FLOAT_EQ(c.z, 149);
    c = {};
    c.pitch = -90;
    c.move(4);  // a wheel step straight up
    EXPECT_FLOAT_EQ(c.y, 54);
    EXPECT_NEAR(c.z, 150, 1e-4);
    c = {};
    c.yaw = 90;
    c.move(-1);  // backwards, looking along +x
    EXPECT_FLOAT_EQ(c.x, 49);
}

}  // namespace
