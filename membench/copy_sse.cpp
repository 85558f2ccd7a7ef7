// SSE copies: 256 bytes per step as four groups of four 16-byte single-precision loads, each
// group followed by its four non-temporal stores; the prefetch forms first ask for the four
// 64-byte lines 1024 bytes ahead of the step's source. No fence follows the stores: the
// measurement is the stream, as the processor retires it.
#include <xmmintrin.h>

#include <cstdint>

#include "membench/copy_kernels.h"

namespace membench {
namespace {

template <bool kUnaligned, bool kPrefetch>
void sse_copy(int size, int reps, const void* src, void* dst) {
    const int64_t steps = size / kSseStepBytes;
    if (steps <= 0) return;
    const int64_t quads = steps * (kSseStepBytes / 8);
    const char* s_end = static_cast<const char*>(src) + quads * 8;
    char* d_end = static_cast<char*>(dst) + quads * 8;
    for (int r = 0; r < reps; ++r) {
        int64_t i = -quads;
        do {
            const float* s = reinterpret_cast<const float*>(s_end + i * 8);
            float* d = reinterpret_cast<float*>(d_end + i * 8);
            if constexpr (kPrefetch) {
                const char* p = reinterpret_cast<const char*>(s);
                _mm_prefetch(p + 1024, _MM_HINT_NTA);
                _mm_prefetch(p + 1088, _MM_HINT_NTA);
                _mm_prefetch(p + 1152, _MM_HINT_NTA);
                _mm_prefetch(p + 1216, _MM_HINT_NTA);
            }
#pragma GCC unroll 4
            for (int64_t g = 0; g < 4; ++g) {
                const float* sg = s + g * 16;
                float* dg = d + g * 16;
                __m128 x0, x1, x2, x3;
                if constexpr (kUnaligned) {
                    x0 = _mm_loadu_ps(sg);
                    x1 = _mm_loadu_ps(sg + 4);
                    x2 = _mm_loadu_ps(sg + 8);
                    x3 = _mm_loadu_ps(sg + 12);
                } else {
                    x0 = _mm_load_ps(sg);
                    x1 = _mm_load_ps(sg + 4);
                    x2 = _mm_load_ps(sg + 8);
                    x3 = _mm_load_ps(sg + 12);
                }
                _mm_stream_ps(dg, x0);
                _mm_stream_ps(dg + 4, x1);
                _mm_stream_ps(dg + 8, x2);
                _mm_stream_ps(dg + 12, x3);
            }
            i += kSseStepBytes / 8;
        } while (i < 0);
        // Each repetition is a copy of its own: nothing may be merged across this line.
        asm volatile("" ::: "memory");
    }
}

}  // namespace

void copy_sse_aligned(int size, int reps, const void* src, void* dst) {
    sse_copy<false, false>(size, reps, src, dst);
}
void copy_sse_aligned_prefetch(int size, int reps, const void* src, void* dst) {
    sse_copy<false, true>(size, reps, src, dst);
}
void copy_sse_unaligned(int size, int reps, const void* src, void* dst) {
    sse_copy<true, false>(size, reps, src, dst);
}
void copy_sse_unaligned_prefetch(int size, int reps, const void* src, void* dst) {
    sse_copy<true, true>(size, reps, src, dst);
}

}  // namespace membench
