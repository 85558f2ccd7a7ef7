// Radial integration on the logarithmic grid: the cumulative integral (trapezoid, Simpson,
// three-eighths, then four interleaved Boole chains) and the multipole function Y_L.
#pragma once

#include "atom/records.h"

namespace atom {

// I_i for every grid point, integrating y against the spacing grid dr in direction +1
// (from the first point) or -1 (from the last). The whole-grid integral is the last forward
// value. Needs at least five points.
void cumulative_integral(const radgrid& dr, const double* y, double* out, int direction);

// Whole-grid integral of y: the last value of the forward cumulative integral, bit for bit.
// Only the one Boole chain that ends at the last point is summed (the other three chains
// never reach it). `scratch` holds N doubles.
double whole_grid_integral(const radgrid& dr, const double* y, double* scratch);

// The same for the integrand c * a_i * b_i * e_i (each point's product formed left to right,
// as a caller filling an integrand array would), without the array.
double whole_grid_integral_of(const radgrid& dr, double c, const double* a, const double* b,
                              const double* e);

// Scratch arrays of one multipole evaluation (N doubles each), owned by the caller's thread.
struct MultipoleScratch {
    double* A;
    double* B;
    double* forward_integrand;
    double* backward_integrand;
    double* P;
    double* Q;
};

// Y_L(r) = r^-(L+1) * int_0^r s^L a b ds + r^L * int_r^rfinal s^-(L+1) a b ds.
void multipole_function(const radgrid& r, const radgrid& dr, const double* a, const double* b,
                        int L, double* out, const MultipoleScratch& scratch);

// The powers r_i^L and 1 / r_i^(L+1) the multipole function takes at every point, formed once
// per grid and order (the same pow calls, so the same values) instead of once per call.
class GridPowers {
  public:
    // Starts afresh when `r` is not the grid the powers were formed on.
    void prepare(const radgrid& r);
    // r^L and 1 / r^(L+1) over the grid (0 <= L < kMaxOrder).
    const double* A(int L) { return ensure(L).A.data(); }
    const double* B(int L) { return ensure(L).B.data(); }

    static constexpr int kMaxOrder = 16;

  private:
    struct Order {
        bool ready = false;
        AlignedVector A, B;
    };
    Order& ensure(int L);
    AlignedVector grid_;
    Order orders_[kMaxOrder];
};

// The multipole function with the powers given (A = r^L, B = 1 / r^(L+1) at every point).
void multipole_function(const radgrid& dr, const double* A, const double* B, const double* a,
                        const double* b, double* out, const MultipoleScratch& scratch);

}  // namespace atom
