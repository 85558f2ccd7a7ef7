#include "atom/virial_graph.h"

#include <cmath>

#include "app/format.h"

namespace atom {

VirialRange virial_range(const double* values, int shown) {
    VirialRange r;
    if (!values) return r;
    for (int k = 0; k < shown; ++k) {
        const double v = values[k];
        if (!std::isfinite(v)) continue;
        if (v < r.min) r.min = v;
        if (v > r.max) r.max = v;
    }
    return r;
}

int virial_y(double value, const VirialRange& range) {
    const double span = range.max - range.min;
    int offset = kVirialBoxHeight / 2;
    // Equal extremes (every entry 0) would divide by zero: that curve runs through the middle.
    if (span > 0.0 && std::isfinite(span) && std::isfinite(value)) {
        const double f = std::fmin(std::fmax((value - range.min) / span, 0.0), 1.0);
        offset = static_cast<int>(std::trunc(f * kVirialBoxHeight));
    }
    return kVirialBoxTop + kVirialBoxHeight + 1 - offset;
}

std::vector<VirialPoint> virial_polyline(const double* values, int shown) {
    std::vector<VirialPoint> points;
    if (!values || shown <= 0) return points;
    const VirialRange r = virial_range(values, shown);
    const int y0 = virial_y(values[0], r);
    points.push_back({kVirialBoxLeft, y0});
    points.push_back({kVirialBoxLeft + kVirialStep, y0});
    for (int k = 1; k < shown; ++k)
        points.push_back({kVirialFirstX + kVirialStep * k, virial_y(values[k], r)});
    return points;
}

std::string virial_max_text(const VirialRange& range) {
    return app::strprintf("Max: %.7f", range.max);
}

std::string virial_min_text(const VirialRange& range) {
    return app::strprintf("Min: %.7f", range.min);
}

std::string virial_current_text(const double* values, int shown) {
    const double v = values && shown > 0 ? values[shown - 1] : 0.0;
    return app::strprintf("Current: %.7f", v);
}

}  // namespace atom
