#include "blas/gemm.h"

#include <cstdio>

#include "blas/gemm_blocked.h"

namespace blas {

const char* gemm_status_text(GemmStatus status) {
    switch (status) {
        case GemmStatus::Ok:
            return "ok";
        case GemmStatus::InvalidKernel:
            return "invalid kernel implementation";
        case GemmStatus::InvalidSize:
            return "invalid matrix size";
        case GemmStatus::OutOfMemory:
            return "out of memory";
    }
    return "unknown";
}

GemmStatus sgemm(std::string_view kernel, char transa, char transb, float beta, float alpha, int m,
                 int k, int n, const float* a, const float* b, float* c) {
    (void)transa;
    (void)transb;
    const bool compute = kernel == "C";
    if (!compute && kernel != "3DNOW" && kernel != "SSE") {
        // Returned to the caller rather than ending the program: the run reports it.
        std::fputs("You did not specify a valid Kernel Implementation from the following list:\n",
                   stdout);
        std::fputs("    C, 3DNOW, or SSE - Program execution halted\n", stdout);
        std::fflush(stdout);
        return GemmStatus::InvalidKernel;
    }
    return gemm_blocked<float>(preferred_tile_isa(), compute, kSgemmTile, beta, alpha, m, k, n, a,
                               b, c);
}

GemmStatus dgemm(std::string_view kernel, char transa, char transb, double beta, double alpha,
                 int m, int k, int n, const double* a, const double* b, double* c) {
    (void)transa;
    (void)transb;
    const int nb = (kernel == "X87" || kernel == "C" || kernel == "X87i" || kernel == "X87p")
                       ? kDgemmTile
                       : 32;
    const bool compute = kernel == "C";
    const bool known = nb == kDgemmTile || kernel == "SSE2_SCAL" || kernel == "SSE2_PACK";
    if (!known) {
        std::fputs("You did not specify a valid Kernel Implementation from the following list:\n",
                   stdout);
        std::fputs("    C, X87, SSE_SCAL, or SSE_PACK - Program execution halted\n", stdout);
        std::fflush(stdout);
        return GemmStatus::InvalidKernel;
    }
    return gemm_blocked<double>(preferred_tile_isa(), compute, nb, beta, alpha, m, k, n, a, b, c);
}

}  // namespace blas
