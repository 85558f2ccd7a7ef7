// The SSE2 STREAM kernels. Each step handles 16 elements as two groups of eight: four aligned
// 128-bit loads (per source), the arithmetic, four non-temporal 128-bit stores. No fence
// follows the stores; the caller's barrier between kernels is the threads' completion events.
#include <emmintrin.h>

#include "stream/stream_kernel_steps.h"

namespace stream {
namespace {

struct CopyOp : steps::CopyParts {
    void group(long i) const {
        const __m128d x0 = _mm_load_pd(a + i), x1 = _mm_load_pd(a + i + 2);
        const __m128d x2 = _mm_load_pd(a + i + 4), x3 = _mm_load_pd(a + i + 6);
        _mm_stream_pd(c + i, x0);
        _mm_stream_pd(c + i + 2, x1);
        _mm_stream_pd(c + i + 4, x2);
        _mm_stream_pd(c + i + 6, x3);
    }
};

struct ScaleOp : steps::ScaleParts {
    __m128d qv;
    void group(long i) const {
        const __m128d x0 = _mm_mul_pd(_mm_load_pd(c + i), qv);
        const __m128d x1 = _mm_mul_pd(_mm_load_pd(c + i + 2), qv);
        const __m128d x2 = _mm_mul_pd(_mm_load_pd(c + i + 4), qv);
        const __m128d x3 = _mm_mul_pd(_mm_load_pd(c + i + 6), qv);
        _mm_stream_pd(b + i, x0);
        _mm_stream_pd(b + i + 2, x1);
        _mm_stream_pd(b + i + 4, x2);
        _mm_stream_pd(b + i + 6, x3);
    }
};

struct AddOp : steps::AddParts {
    void group(long i) const {
        const __m128d x0 = _mm_add_pd(_mm_load_pd(b + i), _mm_load_pd(a + i));
        const __m128d x1 = _mm_add_pd(_mm_load_pd(b + i + 2), _mm_load_pd(a + i + 2));
        const __m128d x2 = _mm_add_pd(_mm_load_pd(b + i + 4), _mm_load_pd(a + i + 4));
        const __m128d x3 = _mm_add_pd(_mm_load_pd(b + i + 6), _mm_load_pd(a + i + 6));
        _mm_stream_pd(c + i, x0);
        _mm_stream_pd(c + i + 2, x1);
        _mm_stream_pd(c + i + 4, x2);
        _mm_stream_pd(c + i + 6, x3);
    }
};

struct TriadOp : steps::TriadParts {
    __m128d qv;
    void group(long i) const {
        const __m128d x0 = _mm_add_pd(_mm_mul_pd(_mm_load_pd(b + i), qv), _mm_load_pd(a + i));
        const __m128d x1 =
            _mm_add_pd(_mm_mul_pd(_mm_load_pd(b + i + 2), qv), _mm_load_pd(a + i + 2));
        const __m128d x2 =
            _mm_add_pd(_mm_mul_pd(_mm_load_pd(b + i + 4), qv), _mm_load_pd(a + i + 4));
        const __m128d x3 =
            _mm_add_pd(_mm_mul_pd(_mm_load_pd(b + i + 6), qv), _mm_load_pd(a + i + 6));
        _mm_stream_pd(c + i, x0);
        _mm_stream_pd(c + i + 2, x1);
        _mm_stream_pd(c + i + 4, x2);
        _mm_stream_pd(c + i + 6, x3);
    }
};

STREAM_FORM_LOOPS(inline)

}  // namespace

void copy_prefetch(double* c, const double* a, long n) {
    prefetch_form(CopyOp{{c, a}}, n);
}
void copy_block(double* c, const double* a, long n) {
    block_form(CopyOp{{c, a}}, n);
}

void scale_prefetch(double* b, const double* c, const double& q, long n) {
    prefetch_form(ScaleOp{{b, c, q}, _mm_set1_pd(q)}, n);
}
void scale_block(double* b, const double* c, const double& q, long n) {
    block_form(ScaleOp{{b, c, q}, _mm_set1_pd(q)}, n);
}

void add_prefetch(double* c, const double* a, const double* b, long n) {
    prefetch_form(AddOp{{{a, b}, c}}, n);
}
void add_block(double* c, const double* a, const double* b, long n) {
    block_form(AddOp{{{a, b}, c}}, n);
}

void triad_prefetch(double* c, const double* a, const double* b, const double& q, long n) {
    prefetch_form(TriadOp{{{a, b}, c, q}, _mm_set1_pd(q)}, n);
}
void triad_block(double* c, const double* a, const double* b, const double& q, long n) {
    block_form(TriadOp{{{a, b}, c, q}, _mm_set1_pd(q)}, n);
}

}  // namespace stream
