// The orbital view's scene without any drawing: the set of rings the last orbital is sampled
// on (tilted, then turned a little every step), the radial function interpolated between grid
// points, the real spherical harmonics of the orbital table, and the camera moves of the view.
#pragma once

#include <optional>
#include <vector>

#include "atom/records.h"

namespace atom {

inline constexpr int kViewRings = 200;
inline constexpr double kViewRingStep = 0.025;   // bohr between rings
inline constexpr double kViewArcSpacing = 0.05;  // bohr between points of a ring
// One degree as the view measures it, and the tilt of the ring set.
inline constexpr double kViewDegree = 0.017444444820284843;
inline constexpr double kViewTiltDegrees = -70.0;
// Ring 0 is one point, evaluated at this radius (the grid has no r = 0).
inline constexpr double kViewCentreRadius = 0.001;

// Points of ring s: one at the centre, else int(s * 0.025 * 2 pi / 0.05).
int ring_point_count(int ring);

// The ring set: xyz per point, the radius its value is evaluated at, and its value.
struct RingSet {
    std::vector<float> xyz;     // 3 per point
    std::vector<float> radius;  // per point: its ring's radius (kViewCentreRadius at the centre)
    std::vector<float> value;   // per point
    std::size_t size() const { return radius.size(); }
};

// The rings in the xy plane: each starts in the direction where the previous one ended, ring 1
// on the x axis.
RingSet build_ring_set(int rings = kViewRings);
// Turns every point about the x axis by `radians` (the tilt).
void tilt_ring_set(RingSet& set, double radians);
// Turns every point about the y axis by `radians` (one view step).
void turn_ring_set(RingSet& set, double radians);

// u at radius `rho` from its values on the logarithmic grid r_i = rinit exp((i + 1) h) of its
// header: second-order Taylor expansion about a nearby grid point with five-point derivatives.
// 0 outside the grid or for a grid too short to take the derivatives on.
double interpolate_u(const radgrid& u, double rho);

// The real spherical harmonic with index l(l + 1) + m at the direction (x, y, z); none for the
// indices the table does not hold (l = 3 with m != 0, l > 3, negative).
std::optional<double> real_harmonic(int index, double x, double y, double z);
bool has_harmonic(int index);
// l and m of an index l(l + 1) + m.
void harmonic_lm(int index, int& l, int& m);

// Values of every point: u(rho) times the harmonic at the point's direction; the radial part
// alone when the table has no harmonic for `index`.
void ring_set_values(RingSet& set, const radgrid& u, int index);

// Extremes over all values (both from the first point's value; 0, 0 for an empty set).
struct ValueRange {
    float min = 0, max = 0;
};
ValueRange value_range(const RingSet& set);

// The colour of a point: blue for value > 0.01 (value / max), red for value < -0.01
// (value / min); none in between.
struct PointColour {
    float r = 0, g = 0, b = 0;
};
std::optional<PointColour> point_colour(float value, const ValueRange& range);

// The viewer of the orbital view: position and angles in degrees.
struct ViewCamera {
    float x = 50, y = 50, z = 150;
    float pitch = 0, yaw = 0;
    // `units` along the view direction (negative: backwards).
    void move(float units);
};

}  // namespace atom
