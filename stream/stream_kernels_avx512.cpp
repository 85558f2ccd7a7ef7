// The AVX-512F STREAM kernels: the SSE2 forms' steps with 512-bit registers. Each group of
// eight elements is one aligned 512-bit load per source, the arithmetic and one non-temporal
// 512-bit store; prefetches, touch pass, scalar tail and the order of the arithmetic are the
// SSE2 forms', so the results are the same bits. A call with an array not on a 64-byte
// boundary runs the SSE2 form instead.
#include <immintrin.h>

#include "stream/stream_kernel_steps.h"

#define STREAM_AVX512_INLINE __attribute__((target("avx512f"), always_inline)) inline
#define STREAM_AVX512 __attribute__((target("avx512f")))

namespace stream {
namespace {

using steps::all_aligned;

STREAM_FORM_LOOPS(STREAM_AVX512_INLINE)

struct CopyOp : steps::CopyParts {
    STREAM_AVX512_INLINE void group(long i) const {
        _mm512_stream_pd(c + i, _mm512_load_pd(a + i));
    }
};

struct ScaleOp : steps::ScaleParts {
    STREAM_AVX512_INLINE void group(long i) const {
        _mm512_stream_pd(b + i, _mm512_mul_pd(_mm512_load_pd(c + i), _mm512_set1_pd(q)));
    }
};

struct AddOp : steps::AddParts {
    STREAM_AVX512_INLINE void group(long i) const {
        _mm512_stream_pd(c + i, _mm512_add_pd(_mm512_load_pd(b + i), _mm512_load_pd(a + i)));
    }
};

struct TriadOp : steps::TriadParts {
    STREAM_AVX512_INLINE void group(long i) const {
        const __m512d qb = _mm512_mul_pd(_mm512_load_pd(b + i), _mm512_set1_pd(q));
        _mm512_stream_pd(c + i, _mm512_add_pd(qb, _mm512_load_pd(a + i)));
    }
};

}  // namespace

STREAM_AVX512 void copy_prefetch_avx512(double* c, const double* a, long n) {
    if (!all_aligned<64>(c, a)) return copy_prefetch(c, a, n);
    prefetch_form(CopyOp{{c, a}}, n);
}
STREAM_AVX512 void copy_block_avx512(double* c, const double* a, long n) {
    if (!all_aligned<64>(c, a)) return copy_block(c, a, n);
    block_form(CopyOp{{c, a}}, n);
}

STREAM_AVX512 void scale_prefetch_avx512(double* b, const double* c, const double& q, long n) {
    if (!all_aligned<64>(b, c)) return scale_prefetch(b, c, q, n);
    prefetch_form(ScaleOp{{b, c, q}}, n);
}
STREAM_AVX512 void scale_block_avx512(double* b, const double* c, const double& q, long n) {
    if (!all_aligned<64>(b, c)) return scale_block(b, c, q, n);
    block_form(ScaleOp{{b, c, q}}, n);
}

STREAM_AVX512 void add_prefetch_avx512(double* c, const double* a, const double* b, long n) {
    if (!all_aligned<64>(c, a, b)) return add_prefetch(c, a, b, n);
    prefetch_form(AddOp{{{a, b}, c}}, n);
}
STREAM_AVX512 void add_block_avx512(double* c, const double* a, const double* b, long n) {
    if (!all_aligned<64>(c, a, b)) return add_block(c, a, b, n);
    block_form(AddOp{{{a, b}, c}}, n);
}

STREAM_AVX512 void triad_prefetch_avx512(double* c, const double* a, const double* b,
                                         const double& q, long n) {
    if (!all_aligned<64>(c, a, b)) return triad_prefetch(c, a, b, q, n);
    prefetch_form(TriadOp{{{a, b}, c, q}}, n);
}
STREAM_AVX512 void triad_block_avx512(double* c, const double* a, const double* b, const double& q,
                                      long n) {
    if (!all_aligned<64>(c, a, b)) return triad_block(c, a, b, q, n);
    block_form(TriadOp{{{a, b}, c, q}}, n);
}

}  // namespace stream
