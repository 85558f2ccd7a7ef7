// Radial integration on the logarithmic grid: the cumulative integral (trapezoid, Simpson,
// three-eighths, then four interleaved Boole chains) and the multipole function Y_L.
#pragma once

#include "atom/records.h"

namespace atom {

// I_i for every grid point, integrating y against the spacing grid dr in direction +1
// (from the first point) or -1 (from the last). The whole-grid integral is the last forward
// value. Needs at least five points.
void cumulative_integral(const radgrid& dr, const double* y, double* out, int direction);

// Whole-grid integral of y: the last value of the forward cumulative integral (the full
// cumulative sweep is part of the documented work). `scratch` holds N doubles.
double whole_grid_integral(const radgrid& dr, const double* y, double* scratch);

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

}  // namespace atom
