// The SGEMM and DGEMM dispatchers: C = alpha * A * B + beta * C for dense row-major operands
// A (m x k), B (k x n), C (m x n), through the blocked, packed multiply. The kernel name picks
// the implementation; "C" is the one that computes (on the fastest tile kernels this processor
// has), the other accepted names compute nothing.
#pragma once

#include <string_view>

namespace blas {

enum class GemmStatus {
    Ok,
    InvalidKernel,  // the name is not in the dispatcher's list (its two lines went to stdout)
    InvalidSize,    // a negative size, or a missing operand
    OutOfMemory,    // a scratch or packed buffer could not be allocated; C is unchanged
};

const char* gemm_status_text(GemmStatus status);

inline constexpr int kSgemmTile = 64;
inline constexpr int kDgemmTile = 30;

// Kernel names "C", "3DNOW", "SSE". The transpose flags are accepted and not used.
GemmStatus sgemm(std::string_view kernel, char transa, char transb, float beta, float alpha, int m,
                 int k, int n, const float* a, const float* b, float* c);

// Kernel names "C", "X87", "X87i", "X87p", "SSE2_SCAL", "SSE2_PACK". The tile is 30 for "C"
// and the X87 names, 32 for the others.
GemmStatus dgemm(std::string_view kernel, char transa, char transb, double beta, double alpha,
                 int m, int k, int n, const double* a, const double* b, double* c);

}  // namespace blas
