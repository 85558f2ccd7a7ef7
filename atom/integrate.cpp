#include "atom/integrate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace atom {

void cumulative_integral(const radgrid& dr, const double* y, double* out, int direction) {
    const int N = dr.points;
    const double* d = dr.data();
    const long step = direction >= 0 ? 1 : -1;
    const long s = direction >= 0 ? 0 : N - 1;
    // f at the last five points in the direction of integration, each formed once.
    double f0 = y[s] * d[s];
    double f1 = y[s + step] * d[s + step];
    double f2 = y[s + 2 * step] * d[s + 2 * step];
    double f3 = y[s + 3 * step] * d[s + 3 * step];
    out[s] = 0.0;
    out[s + step] = (f0 + f1) / 2.0;
    out[s + 2 * step] = (f0 + 4.0 * f1 + f2) / 3.0;
    out[s + 3 * step] = 3.0 / 8.0 * (f0 + 3.0 * f1 + 3.0 * f2 + f3);
    long p = s + 4 * step;
    for (int k = 4; k < N; ++k, p += step) {
        const double f4 = y[p] * d[p];
        out[p] =
            out[p - 4 * step] + (14.0 * f0 + 64.0 * f1 + 24.0 * f2 + 64.0 * f3 + 14.0 * f4) / 45.0;
        f0 = f1;
        f1 = f2;
        f2 = f3;
        f3 = f4;
    }
}

namespace {

// The last forward value of the cumulative integral of f_i = f(i): the seed of the chain that
// ends at point N - 1, then that chain's Boole steps, each formed exactly as the full sweep
// forms it.
template <class F>
inline double last_forward_value(int N, F f) {
    const int s0 = (N - 1) % 4;
    const int seed_end = N - 1 < 3 ? N - 1 : 3;
    double w[4] = {};
    for (int i = 0; i <= seed_end; ++i) w[i] = f(i);
    double acc = 0.0;
    switch (s0) {
        case 1:
            acc = (w[0] + w[1]) / 2.0;
            break;
        case 2:
            acc = (w[0] + 4.0 * w[1] + w[2]) / 3.0;
            break;
        case 3:
            acc = 3.0 / 8.0 * (w[0] + 3.0 * w[1] + 3.0 * w[2] + w[3]);
            break;
        default:
            break;
    }
    double f0 = w[s0];
    for (int m = s0 + 4; m < N; m += 4) {
        const double f1 = f(m - 3);
        const double f2 = f(m - 2);
        const double f3 = f(m - 1);
        const double f4 = f(m);
        acc = acc + (14.0 * f0 + 64.0 * f1 + 24.0 * f2 + 64.0 * f3 + 14.0 * f4) / 45.0;
        f0 = f4;
    }
    return acc;
}

}  // namespace

double whole_grid_integral(const radgrid& dr, const double* y, double*) {
    const double* d = dr.data();
    return last_forward_value(dr.points, [&](int i) { return y[i] * d[i]; });
}

double whole_grid_integral_of(const radgrid& dr, double c, const double* a, const double* b,
                              const double* e) {
    const double* d = dr.data();
    return last_forward_value(dr.points, [&](int i) { return (c * a[i] * b[i] * e[i]) * d[i]; });
}

void GridPowers::prepare(const radgrid& r) {
    const auto n = static_cast<std::size_t>(r.points);
    if (grid_.size() == n && std::equal(grid_.begin(), grid_.end(), r.values.begin())) return;
    grid_.assign(r.values.begin(), r.values.begin() + static_cast<std::ptrdiff_t>(n));
    for (Order& o : orders_) o.ready = false;
}

GridPowers::Order& GridPowers::ensure(int L) {
    Order& o = orders_[L];
    if (o.ready) return o;
    const std::size_t n = grid_.size();
    o.A.resize(n);
    o.B.resize(n);
    const double lpow = static_cast<double>(L);
    const double lpow1 = static_cast<double>(L + 1);
    for (std::size_t i = 0; i < n; ++i) {
        o.A[i] = std::pow(grid_[i], lpow);
        double B = std::pow(grid_[i], lpow1);
        if (B > 0.0) B = 1.0 / B;
        o.B[i] = B;
    }
    o.ready = true;
    return o;
}

void multipole_function(const radgrid& r, const radgrid& dr, const double* a, const double* b,
                        int L, double* out, const MultipoleScratch& w) {
    const int N = r.points;
    const double* x = r.data();
    const double lpow = static_cast<double>(L);
    const double lpow1 = static_cast<double>(L + 1);
    for (int i = 0; i < N; ++i) {
        w.A[i] = std::pow(x[i], lpow);
        double B = std::pow(x[i], lpow1);
        if (B > 0.0) B = 1.0 / B;
        w.B[i] = B;
    }
    multipole_function(dr, w.A, w.B, a, b, out, w);
}

void multipole_function(const radgrid& dr, const double* A, const double* B, const double* a,
                        const double* b, double* out, const MultipoleScratch& w) {
    const int N = dr.points;
    for (int i = 0; i < N; ++i) {
        w.forward_integrand[i] = A[i] * a[i] * b[i];
        w.backward_integrand[i] = B[i] * a[i] * b[i];
    }
    cumulative_integral(dr, w.forward_integrand, w.P, 1);
    cumulative_integral(dr, w.backward_integrand, w.Q, -1);
    for (int i = 0; i < N; ++i) out[i] = A[i] * w.Q[i] + B[i] * w.P[i];
}

}  // namespace atom
