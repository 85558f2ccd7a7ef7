// What every vector form of the STREAM kernels shares: the prefetch instruction, the block
// form's touch pass and the loops of both forms. Each kernel file supplies operations (a
// prefetch, a touch, a group of eight elements and a scalar step) for its vector width, and
// defines the loops with STREAM_FORM_LOOPS under its own target attribute, so that a form is
// the same sequence of steps at every width.
#pragma once

#include <cstdint>

#include "stream/stream_kernels.h"

namespace stream::steps {

// In assembly: GCC takes a function made of prefetch builtins alone for one without effects
// and drops its calls (Add and Triad lost all four prefetches that way), which no compiler
// does with a volatile asm statement.
__attribute__((always_inline)) inline void prefetch_nta(const double* p, long element,
                                                        int bytes_ahead) {
    const char* line = reinterpret_cast<const char*>(p + element) + bytes_ahead;
    asm volatile("prefetchnta %0" : : "m"(*line));
}

// The block form's touch pass: from the block's end back towards its start in 256-byte
// steps, one load from each of four lines per step. Every line of the block but the first,
// and the first line after it, ends up in the cache.
__attribute__((always_inline)) inline void touch_block(const double* block) {
    const char* start = reinterpret_cast<const char*>(block);
    const char* p = start + kBlockElements * sizeof(double);
    for (; p > start; p -= 256) {
        (void)*reinterpret_cast<const volatile double*>(p);
        (void)*reinterpret_cast<const volatile double*>(p - 64);
        (void)*reinterpret_cast<const volatile double*>(p - 128);
        (void)*reinterpret_cast<const volatile double*>(p - 192);
    }
}

// The parts of each operation that do not depend on the vector width: its arrays, its
// prefetches, its touch pass and its scalar step. A kernel file derives its operations from
// these and adds group(i), the eight elements from i on, at its own width.
struct CopyParts {
    double* c;
    const double* a;
    void prefetch(long i) const {
        prefetch_nta(a, i, 1024);
        prefetch_nta(a, i, 1088);
    }
    void touch(long i) const { touch_block(a + i); }
    void scalar(long i) const { c[i] = a[i]; }
};

struct ScaleParts {
    double* b;
    const double* c;
    double q;
    void prefetch(long i) const {
        prefetch_nta(c, i, 1024);
        prefetch_nta(c, i, 1088);
    }
    void touch(long i) const { touch_block(c + i); }
    void scalar(long i) const { b[i] = q * c[i]; }
};

// Add and Triad read two sources: both are prefetched and touched.
struct TwoSources {
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
};

struct AddParts : TwoSources {
    double* c;
    void scalar(long i) const { c[i] = a[i] + b[i]; }
};

struct TriadParts : TwoSources {
    double* c;
    double q;
    void scalar(long i) const { c[i] = a[i] + q * b[i]; }
};

// Whether every array starts on a multiple of `Bytes`: the wide forms' aligned loads and
// non-temporal stores fault otherwise, and their kernels hand such calls to the SSE2 form.
template <std::uintptr_t Bytes, class... T>
inline bool all_aligned(const T*... arrays) {
    return ((reinterpret_cast<std::uintptr_t>(arrays) % Bytes == 0) && ...);
}

}  // namespace stream::steps

// The prefetch form: per 16-element step the operation's prefetches, then two groups of eight.
// The block form: per 512-element block the touch pass, then the block's steps without
// prefetches. Both end with the scalar loop over what is left. ATTR carries the file's target.
#define STREAM_FORM_LOOPS(ATTR)                                                  \
    template <class Op>                                                          \
    ATTR void prefetch_form(const Op& op, long n) {                              \
        const long steps = n / kStepElements;                                    \
        for (long s = 0; s < steps; ++s) {                                       \
            const long i = s * kStepElements;                                    \
            op.prefetch(i);                                                      \
            op.group(i);                                                         \
            op.group(i + 8);                                                     \
        }                                                                        \
        for (long i = steps * kStepElements; i < n; ++i) op.scalar(i);           \
    }                                                                            \
    template <class Op>                                                          \
    ATTR void block_form(const Op& op, long n) {                                 \
        const long blocks = n / kBlockElements;                                  \
        for (long blk = 0; blk < blocks; ++blk) {                                \
            const long base = blk * kBlockElements;                              \
            op.touch(base);                                                      \
            for (long i = base; i < base + kBlockElements; i += kStepElements) { \
                op.group(i);                                                     \
                op.group(i + 8);                                                 \
            }                                                                    \
        }                                                                        \
        for (long i = blocks * kBlockElements; i < n; ++i) op.scalar(i);         \
    }
