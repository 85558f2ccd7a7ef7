#include "atom/integrate.h"

#include <cmath>

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

double whole_grid_integral(const radgrid& dr, const double* y, double* scratch) {
    cumulative_integral(dr, y, scratch, 1);
    return scratch[dr.points - 1];
}

void multipole_function(const radgrid& r, const radgrid& dr, const double* a, const double* b,
                        int L, double* out, const MultipoleScratch& w) {
    const int N = r.points;
    const double* x = r.data();
    const double lpow = static_cast<double>(L);
    const double lpow1 = static_cast<double>(L + 1);
    for (int i = 0; i < N; ++i) {
        const double A = std::pow(x[i], lpow);
        double B = std::pow(x[i], lpow1);
        if (B > 0.0) B = 1.0 / B;
        w.A[i] = A;
        w.B[i] = B;
        w.forward_integrand[i] = A * a[i] * b[i];
        w.backward_integrand[i] = B * a[i] * b[i];
    }
    cumulative_integral(dr, w.forward_integrand, w.P, 1);
    cumulative_integral(dr, w.backward_integrand, w.Q, -1);
    for (int i = 0; i < N; ++i) out[i] = w.A[i] * w.Q[i] + w.B[i] * w.P[i];
}

}  // namespace atom
