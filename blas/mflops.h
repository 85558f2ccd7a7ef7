// One timed matrix multiply of the MFLOPS run: allocate the three operands, fill them, time the
// dispatcher call (transpositions, packing and allocations included) and turn the time into
// MFLOPS.
#pragma once

#include <string_view>

#include "blas/gemm.h"

namespace blas {

// Fixed operand contents: multiples of 1/512 in [-1, 1), so every product and sum of the
// benchmark stays finite and far from the denormal range. `which` varies the pattern between
// A and B.
template <class T>
void fill_operand(T* m, int rows, int cols, int which);

struct MflopsResult {
    GemmStatus status = GemmStatus::Ok;
    double mflops = 0.0;
    double seconds = 0.0;
};

// The MFLOPS of m n (2k - 1) operations in the time of one call. The kernel name is "C" in the
// benchmark; tests pass others.
MflopsResult sgemm_mflops(int m, int k, int n, std::string_view kernel = "C");
MflopsResult dgemm_mflops(int m, int k, int n, std::string_view kernel = "C");

// (m 2 n k - n m) / t / 1e6; 0 when the time is not positive.
double mflops_from_time(int m, int k, int n, double seconds);

}  // namespace blas
