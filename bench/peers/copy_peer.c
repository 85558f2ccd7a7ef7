/* Single-thread copy peer: copies SIZE bytes REPS times back to back with one method and
 * prints MiB/s counted as the memory benchmark counts it (bytes read plus bytes written, 2^20
 * bytes per MiB). Both buffers are written before anything is timed.
 *
 *   copy_peer METHOD SIZE REPS     METHOD: memcpy, movsb, nt (widest non-temporal stores),
 *                                          vec (widest ordinary stores), nt128 (16-byte
 *                                          non-temporal stores), best (all, the best)
 * glibc's memcpy honours GLIBC_TUNABLES=glibc.cpu.x86_non_temporal_threshold=BYTES. */
#define _GNU_SOURCE
#include <immintrin.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef void (*copy_fn)(void* dst, const void* src, size_t n);

static void copy_memcpy(void* dst, const void* src, size_t n) {
    memcpy(dst, src, n);
    __asm__ volatile("" ::: "memory");
}

static void copy_movsb(void* dst, const void* src, size_t n) {
    __asm__ volatile("rep movsb" : "+D"(dst), "+S"(src), "+c"(n) : : "memory");
}

#if defined(__AVX512F__)
typedef __m512i vec_t;
#define VLOAD(p) _mm512_load_si512((const void*)(p))
#define VSTORE(p, v) _mm512_store_si512((void*)(p), v)
#define VSTREAM(p, v) _mm512_stream_si512((void*)(p), v)
#elif defined(__AVX__)
typedef __m256i vec_t;
#define VLOAD(p) _mm256_load_si256((const __m256i*)(p))
#define VSTORE(p, v) _mm256_store_si256((__m256i*)(p), v)
#define VSTREAM(p, v) _mm256_stream_si256((__m256i*)(p), v)
#else
typedef __m128i vec_t;
#define VLOAD(p) _mm_load_si128((const __m128i*)(p))
#define VSTORE(p, v) _mm_store_si128((__m128i*)(p), v)
#define VSTREAM(p, v) _mm_stream_si128((__m128i*)(p), v)
#endif

/* Four vectors per step; n is a multiple of 4 vectors (sizes here are whole KiB). Streaming
 * stores (nt) or ordinary ones; inlined into each method with the choice fixed. */
static inline __attribute__((always_inline)) void copy_vectors(void* dst, const void* src, size_t n,
                                                               int streaming) {
    const vec_t* s = (const vec_t*)src;
    vec_t* d = (vec_t*)dst;
    for (size_t i = 0; i < n / sizeof(vec_t); i += 4) {
        vec_t x0 = VLOAD(s + i), x1 = VLOAD(s + i + 1), x2 = VLOAD(s + i + 2),
              x3 = VLOAD(s + i + 3);
        if (streaming) {
            VSTREAM(d + i, x0);
            VSTREAM(d + i + 1, x1);
            VSTREAM(d + i + 2, x2);
            VSTREAM(d + i + 3, x3);
        } else {
            VSTORE(d + i, x0);
            VSTORE(d + i + 1, x1);
            VSTORE(d + i + 2, x2);
            VSTORE(d + i + 3, x3);
        }
    }
    if (streaming) _mm_sfence();
}

static void copy_nt(void* dst, const void* src, size_t n) {
    copy_vectors(dst, src, n, 1);
}

static void copy_vec(void* dst, const void* src, size_t n) {
    copy_vectors(dst, src, n, 0);
}

/* Non-temporal stores 16 bytes wide whatever the processor has: the width of the project's
 * SSE2 methods, where wider non-temporal stores move more per store. */
static void copy_nt128(void* dst, const void* src, size_t n) {
    const __m128i* s = (const __m128i*)src;
    __m128i* d = (__m128i*)dst;
    for (size_t i = 0; i < n / 16; i += 4) {
        const __m128i x0 = _mm_load_si128(s + i), x1 = _mm_load_si128(s + i + 1);
        const __m128i x2 = _mm_load_si128(s + i + 2), x3 = _mm_load_si128(s + i + 3);
        _mm_stream_si128(d + i, x0);
        _mm_stream_si128(d + i + 1, x1);
        _mm_stream_si128(d + i + 2, x2);
        _mm_stream_si128(d + i + 3, x3);
    }
    _mm_sfence();
}

static const struct {
    const char* name;
    copy_fn fn;
} kMethods[] = {{"memcpy", copy_memcpy},
                {"movsb", copy_movsb},
                {"nt", copy_nt},
                {"vec", copy_vec},
                {"nt128", copy_nt128}};

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + 1e-9 * (double)ts.tv_nsec;
}

static double run(copy_fn fn, char* a, char* b, size_t size, int reps) {
    fn(b, a, size); /* warm: pages and caches as the timed copies will find them */
    const double t0 = now();
    for (int r = 0; r < reps; ++r) fn(b, a, size);
    const double t = now() - t0;
    return 2.0 * (double)size * reps / t / 1048576.0;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: copy_peer memcpy|movsb|nt|vec|nt128|best SIZE REPS\n");
        return 2;
    }
    const size_t size = strtoull(argv[2], NULL, 10) / 256 * 256;
    const int reps = atoi(argv[3]);
    char* a = aligned_alloc(64, size + 256);
    char* b = aligned_alloc(64, size + 256);
    if (!a || !b || reps < 1 || size == 0) return 2;
    memset(a, 0x5A, size + 256);
    memset(b, 0xA5, size + 256);
    double best = 0;
    const char* best_name = "";
    for (size_t m = 0; m < sizeof kMethods / sizeof kMethods[0]; ++m) {
        if (strcmp(argv[1], "best") != 0 && strcmp(argv[1], kMethods[m].name) != 0) continue;
        const double mbs = run(kMethods[m].fn, a, b, size, reps);
        if (mbs > best) {
            best = mbs;
            best_name = kMethods[m].name;
        }
    }
    if (best_name[0] == 0) return 2;
    printf("%.2f %s\n", best, best_name);
    free(a);
    free(b);
    return 0;
}
