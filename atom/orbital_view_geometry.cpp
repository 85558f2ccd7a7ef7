#include "atom/orbital_view_geometry.h"

#include <algorithm>
#include <cmath>

namespace atom {
namespace {

constexpr double kTwoPi = 6.2831855;  // as the ring counts are taken

}  // namespace

int ring_point_count(int ring) {
    if (ring <= 0) return 1;
    return static_cast<int>(ring * kViewRingStep * kTwoPi / kViewArcSpacing);
}

RingSet build_ring_set(int rings) {
    RingSet set;
    std::size_t total = 0;
    for (int s = 0; s < rings; ++s) total += static_cast<std::size_t>(ring_point_count(s));
    set.xyz.reserve(3 * total);
    set.radius.reserve(total);
    set.value.assign(total, 0.0f);
    double angle = 0.0;
    for (int s = 0; s < rings; ++s) {
        const int n = ring_point_count(s);
        if (s == 0) {
            set.xyz.insert(set.xyz.end(), {0.0f, 0.0f, 0.0f});
            set.radius.push_back(static_cast<float>(kViewCentreRadius));
            continue;
        }
        const double rho = s * kViewRingStep;
        const double step = 2.0 * M_PI / n;
        // The angle runs on from ring to ring: each ring starts where the previous ended.
        for (int k = 0; k < n; ++k) {
            set.xyz.push_back(static_cast<float>(rho * std::cos(angle)));
            set.xyz.push_back(static_cast<float>(rho * std::sin(angle)));
            set.xyz.push_back(0.0f);
            set.radius.push_back(static_cast<float>(rho));
            angle += step;
        }
        angle = std::fmod(angle, 2.0 * M_PI);
    }
    return set;
}

void tilt_ring_set(RingSet& set, double radians) {
    const double c = std::cos(radians), s = std::sin(radians);
    for (std::size_t i = 0; i < set.size(); ++i) {
        const double y = set.xyz[3 * i + 1], z = set.xyz[3 * i + 2];
        set.xyz[3 * i + 1] = static_cast<float>(y * c - z * s);
        set.xyz[3 * i + 2] = static_cast<float>(y * s + z * c);
    }
}

void turn_ring_set(RingSet& set, double radians) {
    const double c = std::cos(radians), s = std::sin(radians);
    for (std::size_t i = 0; i < set.size(); ++i) {
        const double x = set.xyz[3 * i], z = set.xyz[3 * i + 2];
        set.xyz[3 * i] = static_cast<float>(x * c + z * s);
        set.xyz[3 * i + 2] = static_cast<float>(-x * s + z * c);
    }
}

double interpolate_u(const radgrid& u, double rho) {
    const int n = std::min(u.points, static_cast<int>(u.values.size()));
    const double h = u.dlog;
    if (n < 5 || !(h > 0.0) || !(u.rinit > 0.0) || !(rho > 0.0)) return 0.0;
    const double x = std::log(rho / u.rinit) / h;
    // Past the last grid point the orbital has decayed; a Taylor step there would run away.
    if (!(x <= n)) return 0.0;
    const int j0 = static_cast<int>(std::trunc(x));
    // The five points must lie on the grid, also near either end of it.
    const int b = std::clamp(j0 - 3, 0, n - 5);
    const int c = b + 2;
    const double* f = u.values.data() + b;
    const double rc = u.rinit * std::exp((c + 1) * h);
    const double d1 = ((8.0 * (f[3] - f[1]) + f[0] - f[4]) / 12.0) / (h * rc);
    const double d2 =
        ((16.0 * (f[3] + f[1]) - 30.0 * f[2] - f[0] - f[4]) / 12.0) / (h * h * rc * rc) - d1 / rc;
    const double dr = rho - rc;
    return f[2] + d1 * dr + 0.5 * d2 * dr * dr;
}

std::optional<double> real_harmonic(int index, double x, double y, double z) {
    switch (index) {
        case 0:
            return 0.28209479177387814;
        case 1:
            return 0.4886025119029199 * x;
        case 2:
            return 0.4886025119029199 * z;
        case 3:
            return 0.4886025119029199 * y;
        case 4:
            return 0.5462742152960396 * (x * x - y * y);
        case 5:
            return 1.0925484305920792 * z * x;
        case 6:
            return 0.31539156525252 * (3.0 * z * z - 1.0);
        case 7:
            return 1.0925484305920792 * z * y;
        case 8:
            return 1.0925484305920792 * y * x;
        case 12:
            return 0.3731763325901154 * (5.0 * z * z * z - 3.0 * z);
        default:
            return std::nullopt;
    }
}

bool has_harmonic(int index) {
    return real_harmonic(index, 0.0, 0.0, 1.0).has_value();
}

void harmonic_lm(int index, int& l, int& m) {
    l = 0;
    while ((l + 1) * (l + 1) <= index) ++l;
    m = index - l * (l + 1);
}

void ring_set_values(RingSet& set, const radgrid& u, int index) {
    const bool angular = has_harmonic(index);
    float last_radius = -1.0f;
    double radial = 0.0;
    for (std::size_t i = 0; i < set.size(); ++i) {
        const float rho = set.radius[i];
        // Points come ring by ring: u is interpolated once per ring.
        if (rho != last_radius) {
            radial = interpolate_u(u, rho);
            last_radius = rho;
        }
        double v = radial;
        if (angular) {
            // The centre has no direction: (0, 0, 0) as it is stored.
            const double inv = i == 0 ? 0.0 : 1.0 / rho;
            v *= *real_harmonic(index, set.xyz[3 * i] * inv, set.xyz[3 * i + 1] * inv,
                                set.xyz[3 * i + 2] * inv);
        }
        set.value[i] = static_cast<float>(v);
    }
}

ValueRange value_range(const RingSet& set) {
    ValueRange r;
    if (set.value.empty()) return r;
    r.min = r.max = set.value[0];
    for (float v : set.value) {
        r.min = std::min(r.min, v);
        r.max = std::max(r.max, v);
    }
    return r;
}

std::optional<PointColour> point_colour(float value, const ValueRange& range) {
    // value > 0.01 means max >= value > 0 (and min < 0 below): no division by zero.
    if (value > 0.01f) return PointColour{0.0f, 0.0f, value / range.max};
    if (value < -0.01f) return PointColour{value / range.min, 0.0f, 0.0f};
    return std::nullopt;
}

void ViewCamera::move(float units) {
    constexpr double kRad = 3.1415926535 / 180.0;
    const double a = -pitch * kRad, b = yaw * kRad;
    y += static_cast<float>(units * std::sin(a));
    x += static_cast<float>(units * std::sin(b) * std::cos(a));
    z -= static_cast<float>(units * std::cos(b) * std::cos(a));
}

}  // namespace atom
