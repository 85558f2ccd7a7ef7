// SSE2 copies: the SSE pattern with 128-bit integer loads and non-temporal integer stores.
#include <emmintrin.h>

#include <cstdint>

#include "membench/copy_kernels.h"

namespace membench {
namespace {

template <bool kPrefetch>
void sse2_copy(int size, int reps, const void* src, void* dst) {
    const int64_t steps = size / kSseStepBytes;
    if (steps <= 0) return;
    const int64_t quads = steps * (kSseStepBytes / 8);
    const char* s_end = static_cast<const char*>(src) + quads * 8;
    char* d_end = static_cast<char*>(dst) + quads * 8;
    for (int r = 0; r < reps; ++r) {
        int64_t i = -quads;
        do {
            const __m128i* s = reinterpret_cast<const __m128i*>(s_end + i * 8);
            __m128i* d = reinterpret_cast<__m128i*>(d_end + i * 8);
            if constexpr (kPrefetch) {
                const char* p = reinterpret_cast<const char*>(s);
                _mm_prefetch(p + 1024, _MM_HINT_NTA);
                _mm_prefetch(p + 1088, _MM_HINT_NTA);
                _mm_prefetch(p + 1152, _MM_HINT_NTA);
                _mm_prefetch(p + 1216, _MM_HINT_NTA);
            }
#pragma GCC unroll 4
            for (int64_t g = 0; g < 4; ++g) {
                const __m128i x0 = _mm_load_si128(s + g * 4);
                const __m128i x1 = _mm_load_si128(s + g * 4 + 1);
                const __m128i x2 = _mm_load_si128(s + g * 4 + 2);
                const __m128i x3 = _mm_load_si128(s + g * 4 + 3);
                _mm_stream_si128(d + g * 4, x0);
                _mm_stream_si128(d + g * 4 + 1, x1);
                _mm_stream_si128(d + g * 4 + 2, x2);
                _mm_stream_si128(d + g * 4 + 3, x3);
            }
            i += kSseStepBytes / 8;
        } while (i < 0);
        asm volatile("" ::: "memory");
    }
}

}  // namespace

void copy_sse2_aligned(int size, int reps, const void* src, void* dst) {
    sse2_copy<false>(size, reps, src, dst);
}
void copy_sse2_aligned_prefetch(int size, int reps, const void* src, void* dst) {
    sse2_copy<true>(size, reps, src, dst);
}

}  // namespace membench
