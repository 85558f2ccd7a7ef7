/* STREAM-style peer written from the published STREAM rules: arrays a, b, c of N doubles,
 * a = 1, b = 2, c = 0 set by the threads that later work on them, each kernel (Copy c = a,
 * Scale b = q c, Add c = a + b, Triad a = b + q c) timed NTIMES times, the first pass left out,
 * the best time counted, MB = 10^6 bytes, the arrays' final values checked. OpenMP, static
 * schedule. Built twice: plain stores (the caches allocate each written line before writing
 * it) and, with -DSTREAMING_STORES, non-temporal stores.
 *
 *   stream_peer N      prints "copy scale add triad" in MB/s, or fails on a wrong result. */
#include <immintrin.h>
#include <math.h>
#include <omp.h>
#include <stdio.h>
#include <stdlib.h>

#define NTIMES 20

static double *a, *b, *c;
static long n;

#ifdef STREAMING_STORES
#if defined(__AVX512F__)
#define W 8
#define VT __m512d
#define LD(p) _mm512_loadu_pd(p)
#define ST(p, v) _mm512_stream_pd(p, v)
#define ADD(x, y) _mm512_add_pd(x, y)
#define MUL(x, y) _mm512_mul_pd(x, y)
#define SET1(x) _mm512_set1_pd(x)
#else
#define W 4
#define VT __m256d
#define LD(p) _mm256_loadu_pd(p)
#define ST(p, v) _mm256_stream_pd(p, v)
#define ADD(x, y) _mm256_add_pd(x, y)
#define MUL(x, y) _mm256_mul_pd(x, y)
#define SET1(x) _mm256_set1_pd(x)
#endif
/* Each thread streams its own part of the arrays; the store address is aligned first. */
#define KERNEL(dst, scalar_expr, vector_expr)                                         \
    _Pragma("omp parallel") {                                                         \
        const int t = omp_get_thread_num(), nt = omp_get_num_threads();               \
        long lo = n * t / nt, hi = n * (t + 1) / nt, j = lo;                          \
        for (; j < hi && ((unsigned long)(dst + j) % (W * 8)) != 0; ++j) scalar_expr; \
        for (; j + W <= hi; j += W) ST(dst + j, vector_expr);                         \
        for (; j < hi; ++j) scalar_expr;                                              \
    }
#else
#define KERNEL(dst, scalar_expr, vector_expr) \
    _Pragma("omp parallel for schedule(static)") for (long j = 0; j < n; ++j) scalar_expr;
#endif

static double now(void) {
    return omp_get_wtime();
}

int main(int argc, char** argv) {
    n = argc > 1 ? atol(argv[1]) : 10000000;
    const double q = 3.0;
    a = aligned_alloc(64, (size_t)(n * 8 + 64) / 64 * 64);
    b = aligned_alloc(64, (size_t)(n * 8 + 64) / 64 * 64);
    c = aligned_alloc(64, (size_t)(n * 8 + 64) / 64 * 64);
    if (!a || !b || !c || n < 1) return 2;
#pragma omp parallel for schedule(static)
    for (long j = 0; j < n; ++j) {
        a[j] = 1.0;
        b[j] = 2.0;
        c[j] = 0.0;
    }
#pragma omp parallel for schedule(static)
    for (long j = 0; j < n; ++j) a[j] = 2.0 * a[j];

    double best[4] = {1e30, 1e30, 1e30, 1e30};
    for (int k = 0; k < NTIMES; ++k) {
        double t[4];
        t[0] = now();
        KERNEL(c, c[j] = a[j], LD(a + j));
        t[0] = now() - t[0];
        t[1] = now();
        KERNEL(b, b[j] = q * c[j], MUL(SET1(q), LD(c + j)));
        t[1] = now() - t[1];
        t[2] = now();
        KERNEL(c, c[j] = a[j] + b[j], ADD(LD(a + j), LD(b + j)));
        t[2] = now() - t[2];
        t[3] = now();
        KERNEL(a, a[j] = b[j] + q * c[j], ADD(LD(b + j), MUL(SET1(q), LD(c + j))));
        t[3] = now() - t[3];
        if (k > 0)
            for (int i = 0; i < 4; ++i)
                if (t[i] < best[i]) best[i] = t[i];
    }

    /* The check STREAM makes: replay the scalars, compare each array's average error. */
    double ea = 2.0, eb = 2.0, ec = 0.0;
    for (int k = 0; k < NTIMES; ++k) {
        ec = ea;
        eb = q * ec;
        ec = ea + eb;
        ea = eb + q * ec;
    }
    double sa = 0, sb = 0, sc = 0;
    for (long j = 0; j < n; ++j) {
        sa += fabs(a[j] - ea);
        sb += fabs(b[j] - eb);
        sc += fabs(c[j] - ec);
    }
    if (!(sa / n / fabs(ea) <= 1e-13 && sb / n / fabs(eb) <= 1e-13 && sc / n / fabs(ec) <= 1e-13)) {
        fprintf(stderr, "stream_peer: the arrays failed validation\n");
        return 1;
    }
    const double bytes[4] = {16.0 * n, 16.0 * n, 24.0 * n, 24.0 * n};
    printf("%.1f %.1f %.1f %.1f %d\n", 1e-6 * bytes[0] / best[0], 1e-6 * bytes[1] / best[1],
           1e-6 * bytes[2] / best[2], 1e-6 * bytes[3] / best[3], omp_get_max_threads());
    free(a);
    free(b);
    free(c);
    return 0;
}
