/* GEMM peer: OpenBLAS, one thread, C = A B for square matrices of order N (column-major,
 * operands filled with small values before timing). Prints the best MFLOPS (2 N^3 per
 * multiply) of REPEATS multiplies.
 *
 *   gemm_peer s|d N [REPEATS]      run with OPENBLAS_NUM_THREADS=1 */
#include <cblas.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + 1e-9 * (double)ts.tv_nsec;
}

int main(int argc, char** argv) {
    if (argc < 3 || (argv[1][0] != 's' && argv[1][0] != 'd')) {
        fprintf(stderr, "usage: gemm_peer s|d N [REPEATS]\n");
        return 2;
    }
    const int single = argv[1][0] == 's';
    const int n = atoi(argv[2]);
    const int repeats = argc > 3 ? atoi(argv[3]) : 3;
    const size_t elems = (size_t)n * (size_t)n;
    const size_t width = single ? sizeof(float) : sizeof(double);
    char* a = aligned_alloc(64, (elems * width + 63) / 64 * 64);
    char* b = aligned_alloc(64, (elems * width + 63) / 64 * 64);
    char* c = aligned_alloc(64, (elems * width + 63) / 64 * 64);
    if (!a || !b || !c || n < 1 || repeats < 1) return 2;
    for (size_t i = 0; i < elems; ++i) {
        const double x = (double)(i % 7) * 0.25, y = (double)(i % 5) * 0.5;
        if (single) {
            ((float*)a)[i] = (float)x;
            ((float*)b)[i] = (float)y;
            ((float*)c)[i] = 0.0f;
        } else {
            ((double*)a)[i] = x;
            ((double*)b)[i] = y;
            ((double*)c)[i] = 0.0;
        }
    }
    double best = 0;
    for (int r = 0; r < repeats; ++r) {
        const double t0 = now();
        if (single)
            cblas_sgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0f, (float*)a, n,
                        (float*)b, n, 0.0f, (float*)c, n);
        else
            cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, (double*)a, n,
                        (double*)b, n, 0.0, (double*)c, n);
        const double mflops = 2.0 * n * (double)n * n / (now() - t0) * 1e-6;
        if (mflops > best) best = mflops;
    }
    printf("%.1f\n", best);
    free(a);
    free(b);
    free(c);
    return 0;
}
