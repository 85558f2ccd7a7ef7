// The AVX STREAM kernels: the SSE2 forms' steps with 256-bit registers. Each group of eight
// elements is two aligned 256-bit loads per source, the arithmetic and two non-temporal 256-bit
// stores; prefetches, touch pass, scalar tail and the order of the arithmetic are the SSE2
// forms', so the results are the same bits. A call with an array not on a 32-byte boundary
// runs the SSE2 form instead.
#include <immintrin.h>

#include "stream/stream_kernel_steps.h"

#define STREAM_AVX_INLINE __attribute__((target("avx"), always_inline)) inline
#define STREAM_AVX __attribute__((target("avx")))

namespace stream {
namespace {

using steps::all_aligned;

STREAM_FORM_LOOPS(STREAM_AVX_INLINE)

struct CopyOp : steps::CopyParts {
    STREAM_AVX_INLINE void group(long i) const {
        const __m256d x0 = _mm256_load_pd(a + i), x1 = _mm256_load_pd(a + i + 4);
        _mm256_stream_pd(c + i, x0);
        _mm256_stream_pd(c + i + 4, x1);
    }
};

struct ScaleOp : steps::ScaleParts {
    STREAM_AVX_INLINE void group(long i) const {
        const __m256d qv = _mm256_set1_pd(q);
        const __m256d x0 = _mm256_mul_pd(_mm256_load_pd(c + i), qv);
        const __m256d x1 = _mm256_mul_pd(_mm256_load_pd(c + i + 4), qv);
        _mm256_stream_pd(b + i, x0);
        _mm256_stream_pd(b + i + 4, x1);
    }
};

struct AddOp : steps::AddParts {
    STREAM_AVX_INLINE void group(long i) const {
        const __m256d x0 = _mm256_add_pd(_mm256_load_pd(b + i), _mm256_load_pd(a + i));
        const __m256d x1 = _mm256_add_pd(_mm256_load_pd(b + i + 4), _mm256_load_pd(a + i + 4));
        _mm256_stream_pd(c + i, x0);
        _mm256_stream_pd(c + i + 4, x1);
    }
};

struct TriadOp : steps::TriadParts {
    STREAM_AVX_INLINE void group(long i) const {
        const __m256d qv = _mm256_set1_pd(q);
        const __m256d x0 =
            _mm256_add_pd(_mm256_mul_pd(_mm256_load_pd(b + i), qv), _mm256_load_pd(a + i));
        const __m256d x1 =
            _mm256_add_pd(_mm256_mul_pd(_mm256_load_pd(b + i + 4), qv), _mm256_load_pd(a + i + 4));
        _mm256_stream_pd(c + i, x0);
        _mm256_stream_pd(c + i + 4, x1);
    }
};

}  // namespace

STREAM_AVX void copy_prefetch_avx(double* c, const double* a, long n) {
    if (!all_aligned<32>(c, a)) return copy_prefetch(c, a, n);
    prefetch_form(CopyOp{{c, a}}, n);
}
STREAM_AVX void copy_block_avx(double* c, const double* a, long n) {
    if (!all_aligned<32>(c, a)) return copy_block(c, a, n);
    block_form(CopyOp{{c, a}}, n);
}

STREAM_AVX void scale_prefetch_avx(double* b, const double* c, const double& q, long n) {
    if (!all_aligned<32>(b, c)) return scale_prefetch(b, c, q, n);
    prefetch_form(ScaleOp{{b, c, q}}, n);
}
STREAM_AVX void scale_block_avx(double* b, const double* c, const double& q, long n) {
    if (!all_aligned<32>(b, c)) return scale_block(b, c, q, n);
    block_form(ScaleOp{{b, c, q}}, n);
}

STREAM_AVX void add_prefetch_avx(double* c, const double* a, const double* b, long n) {
    if (!all_aligned<32>(c, a, b)) return add_prefetch(c, a, b, n);
    prefetch_form(AddOp{{{a, b}, c}}, n);
}
STREAM_AVX void add_block_avx(double* c, const double* a, const double* b, long n) {
    if (!all_aligned<32>(c, a, b)) return add_block(c, a, b, n);
    block_form(AddOp{{{a, b}, c}}, n);
}

STREAM_AVX void triad_prefetch_avx(double* c, const double* a, const double* b, const double& q,
                                   long n) {
    if (!all_aligned<32>(c, a, b)) return triad_prefetch(c, a, b, q, n);
    prefetch_form(TriadOp{{{a, b}, c, q}}, n);
}
STREAM_AVX void triad_block_avx(double* c, const double* a, const double* b, const double& q,
                                long n) {
    if (!all_aligned<32>(c, a, b)) return triad_block(c, a, b, q, n);
    block_form(TriadOp{{{a, b}, c, q}}, n);
}

}  // namespace stream
