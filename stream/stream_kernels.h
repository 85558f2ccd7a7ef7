// The STREAM kernels: Copy, Scale, Add and Triad over double-precision arrays, in a streaming
// form with software prefetch and a block form that first touches each 4 KB block of its
// sources, both with non-temporal stores, plus a plain form that is the tests' oracle.
// Arrays are 16-byte aligned; the block form reads one cache line past the last whole block,
// so arrays carry at least 64 bytes of padding after their n elements.
#pragma once

#include "app/isa.h"

namespace stream {

inline constexpr int kCopy = 0, kScale = 1, kAdd = 2, kTriad = 3;
inline constexpr int kKernelCount = 4;
inline constexpr long kStepElements = 16;
inline constexpr long kBlockElements = 512;

// c = a
void copy_prefetch(double* c, const double* a, long n);
void copy_block(double* c, const double* a, long n);
void copy_plain(double* c, const double* a, long n);
// b = q * c
void scale_prefetch(double* b, const double* c, const double& q, long n);
void scale_block(double* b, const double* c, const double& q, long n);
void scale_plain(double* b, const double* c, const double& q, long n);
// c = a + b
void add_prefetch(double* c, const double* a, const double* b, long n);
void add_block(double* c, const double* a, const double* b, long n);
void add_plain(double* c, const double* a, const double* b, long n);
// c = a + q * b
void triad_prefetch(double* c, const double* a, const double* b, const double& q, long n);
void triad_block(double* c, const double* a, const double* b, const double& q, long n);
void triad_plain(double* c, const double* a, const double* b, const double& q, long n);

// The four kernels of one form.
struct StreamKernelSet {
    void (*copy)(double* c, const double* a, long n);
    void (*scale)(double* b, const double* c, const double& q, long n);
    void (*add)(double* c, const double* a, const double* b, long n);
    void (*triad)(double* c, const double* a, const double* b, const double& q, long n);
};
using StreamForm = app::IsaKernel<StreamKernelSet>;

// The run's two passes, each a table of its forms: the SSE2 form the pass times (its name is
// the pass's name), then the plain loops.
extern const StreamForm kPrefetchForms[2];
extern const StreamForm kBlockForms[2];

// Whether the process's decision allows the timed forms; without them the run skips its passes.
bool timed_forms_allowed();

}  // namespace stream
