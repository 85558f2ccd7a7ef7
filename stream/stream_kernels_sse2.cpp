// The SSE2 STREAM kernels. Each step handles 16 elements as two groups of eight: four aligned
// 128-bit loads (per source), the arithmetic, four non-temporal 128-bit stores. No fence
// follows the stores; the caller's barrier between kernels is the threads' completion events.
#include <emmintrin.h>

#include "stream/stream_kernels.h"

namespace stream {
namespace {

// In assembly: GCC takes a function made of prefetch builtins alone for one without effects
// and drops its calls (Add and Triad lost all four prefetches that way), which no compiler
// does with a volatile asm statement.
inline void prefetch_nta(const double* p, long element, int bytes_ahead) {
    const char* line = reinterpret_cast<const char*>(p + element) + bytes_ahead;
    asm volatile("prefetchnta %0" : : "m"(*line));
}

// The block form's touch pass: from the block's end back towards its start in 256-byte
// steps, one load from each of four lines per step. Every line of the block but the first,
// and the first line after it, ends up in the cache.
inline void touch_block(const double* block) {
    const char* start = reinterpret_cast<const char*>(block);
    const char* p = start + kBlockElements * sizeof(double);
    for (; p > start; p -= 256) {
        (void)*reinterpret_cast<const volatile double*>(p);
        (void)*reinterpret_cast<const volatile double*>(p - 64);
        (void)*reinterpret_cast<const volatile double*>(p - 128);
        (void)*reinterpret_cast<const volatile double*>(p - 192);
    }
}

struct CopyOp {
    double* c;
    const double* a;
    void prefetch(long i) const {
        prefetch_nta(a, i, 1024);
        prefetch_nta(a, i, 1088);
    }
    void touch(long i) const { touch_block(a + i); }
    void group(long i) const {
        const __m128d x0 = _mm_load_pd(a + i), x1 = _mm_load_pd(a + i + 2);
        const __m128d x2 = _mm_load_pd(a + i + 4), x3 = _mm_load_pd(a + i + 6);
        _mm_stream_pd(c + i, x0);
        _mm_stream_pd(c + i + 2, x1);
        _mm_stream_pd(c + i + 4, x2);
        _mm_stream_pd(c + i + 6, x3);
    }
    void scalar(long i) const { c[i] = a[i]; }
};

struct ScaleOp {
    double* b;
    const double* c;
    __m128d qv;
    double q;
    void prefetch(long i) const {
        prefetch_nta(c, i, 1024);
        prefetch_nta(c, i, 1088);
    }
    void touch(long i) const { touch_block(c + i); }
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
    void scalar(long i) const { b[i] = q * c[i]; }
};

struct AddOp {
    double* c;
    const double* a;
    const double* b;
    void prefetch(long i) const {
        prefetch_nta(a, i, 512);
        prefetch_nta(a, i, 576);
        prefetch_nta(b, i, 512);
        prefetch_nta(b, i, 576);
    }
    void touch(long i) const {
        touch_block(a + i);
        touch_block(b + i);
    }
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
    void scalar(long i) const { c[i] = a[i] + b[i]; }
};

struct TriadOp {
    double* c;
    const double* a;
    const double* b;
    __m128d qv;
    double q;
    void prefetch(long i) const {
        prefetch_nta(a, i, 512);
        prefetch_nta(a, i, 576);
        prefetch_nta(b, i, 512);
        prefetch_nta(b, i, 576);
    }
    void touch(long i) const {
        touch_block(a + i);
        touch_block(b + i);
    }
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
    void scalar(long i) const { c[i] = a[i] + q * b[i]; }
};

template <class Op>
void prefetch_form(const Op& op, long n) {
    const long steps = n / kStepElements;
    for (long s = 0; s < steps; ++s) {
        const long i = s * kStepElements;
        op.prefetch(i);
        op.group(i);
        op.group(i + 8);
    }
    for (long i = steps * kStepElements; i < n; ++i) op.scalar(i);
}

template <class Op>
void block_form(const Op& op, long n) {
    const long blocks = n / kBlockElements;
    for (long blk = 0; blk < blocks; ++blk) {
        const long base = blk * kBlockElements;
        op.touch(base);
        for (long i = base; i < base + kBlockElements; i += kStepElements) {
            op.group(i);
            op.group(i + 8);
        }
    }
    for (long i = blocks * kBlockElements; i < n; ++i) op.scalar(i);
}

}  // namespace

void copy_prefetch(double* c, const double* a, long n) {
    prefetch_form(CopyOp{c, a}, n);
}
void copy_block(double* c, const double* a, long n) {
    block_form(CopyOp{c, a}, n);
}

void scale_prefetch(double* b, const double* c, const double& q, long n) {
    prefetch_form(ScaleOp{b, c, _mm_set1_pd(q), q}, n);
}
void scale_block(double* b, const double* c, const double& q, long n) {
    block_form(ScaleOp{b, c, _mm_set1_pd(q), q}, n);
}

void add_prefetch(double* c, const double* a, const double* b, long n) {
    prefetch_form(AddOp{c, a, b}, n);
}
void add_block(double* c, const double* a, const double* b, long n) {
    block_form(AddOp{c, a, b}, n);
}

void triad_prefetch(double* c, const double* a, const double* b, const double& q, long n) {
    prefetch_form(TriadOp{c, a, b, _mm_set1_pd(q), q}, n);
}
void triad_block(double* c, const double* a, const double* b, const double& q, long n) {
    block_form(TriadOp{c, a, b, _mm_set1_pd(q), q}, n);
}

}  // namespace stream
