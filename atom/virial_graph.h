// The geometry of the Orbitra dialog's virial-factor graph: the range of the iterations shown,
// the pixel each entry lands on and the texts written beside the curve. Any face draws it.
#pragma once

#include <string>
#include <vector>

namespace atom {

// The plot box relative to the graph's origin, in pixels.
inline constexpr int kVirialBoxLeft = 15;
inline constexpr int kVirialBoxTop = 35;
inline constexpr int kVirialBoxWidth = 210;
inline constexpr int kVirialBoxHeight = 261;
// x of entry k >= 1 is kVirialFirstX + kVirialStep * k; entry 0 spans 15..19.
inline constexpr int kVirialFirstX = 17;
inline constexpr int kVirialStep = 4;

// Extremes of the entries shown; both start at 0 so the range always contains 0.
struct VirialRange {
    double min = 0.0, max = 0.0;
};
// Non-finite entries are left out.
VirialRange virial_range(const double* values, int shown);

// The y pixel of `value`: 297 - trunc((value - min) / (max - min) * 261). A flat range and a
// non-finite value land in the middle of the box.
int virial_y(double value, const VirialRange& range);

struct VirialPoint {
    int x, y;
    bool operator==(const VirialPoint&) const = default;
};

// The curve: entry 0 as a short segment from x = 15 to 19, then one corner per further entry.
// Empty when nothing is shown.
std::vector<VirialPoint> virial_polyline(const double* values, int shown);

// "Max: %.7f", "Min: %.7f" and "Current: %.7f" (the newest entry shown).
std::string virial_max_text(const VirialRange& range);
std::string virial_min_text(const VirialRange& range);
std::string virial_current_text(const double* values, int shown);

}  // namespace atom
