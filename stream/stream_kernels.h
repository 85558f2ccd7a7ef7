// The STREAM kernels: Copy, Scale, Add and Triad over double-precision arrays, in a streaming
// form with software prefetch and a block form that first touches each 4 KB block of its
// sources, both with non-temporal stores, at the widths SSE2, AVX and AVX-512F, plus a plain
// form that is the tests' oracle. Arrays are 16-byte aligned (the wide forms run the SSE2 form
// for arrays not aligned to their width); the block form reads one cache line past the last whole
// block, so arrays carry at least 64 bytes of padding after their n elements.
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
void copy_prefetch_avx(double* c, const double* a, long n);
void copy_block_avx(double* c, const double* a, long n);
void copy_prefetch_avx512(double* c, const double* a, long n);
void copy_block_avx512(double* c, const double* a, long n);
// b = q * c
void scale_prefetch(double* b, const double* c, const double& q, long n);
void scale_block(double* b, const double* c, const double& q, long n);
void scale_plain(double* b, const double* c, const double& q, long n);
void scale_prefetch_avx(double* b, const double* c, const double& q, long n);
void scale_block_avx(double* b, const double* c, const double& q, long n);
void scale_prefetch_avx512(double* b, const double* c, const double& q, long n);
void scale_block_avx512(double* b, const double* c, const double& q, long n);
// c = a + b
void add_prefetch(double* c, const double* a, const double* b, long n);
void add_block(double* c, const double* a, const double* b, long n);
void add_plain(double* c, const double* a, const double* b, long n);
void add_prefetch_avx(double* c, const double* a, const double* b, long n);
void add_block_avx(double* c, const double* a, const double* b, long n);
void add_prefetch_avx512(double* c, const double* a, const double* b, long n);
void add_block_avx512(double* c, const double* a, const double* b, long n);
// c = a + q * b
void triad_prefetch(double* c, const double* a, const double* b, const double& q, long n);
void triad_block(double* c, const double* a, const double* b, const double& q, long n);
void triad_plain(double* c, const double* a, const double* b, const double& q, long n);
void triad_prefetch_avx(double* c, const double* a, const double* b, const double& q, long n);
void triad_block_avx(double* c, const double* a, const double* b, const double& q, long n);
void triad_prefetch_avx512(double* c, const double* a, const double* b, const double& q, long n);
void triad_block_avx512(double* c, const double* a, const double* b, const double& q, long n);

// The four kernels of one form.
struct StreamKernelSet {
    void (*copy)(double* c, const double* a, long n);
    void (*scale)(double* b, const double* c, const double& q, long n);
    void (*add)(double* c, const double* a, const double* b, long n);
    void (*triad)(double* c, const double* a, const double* b, const double& q, long n);
};
using StreamForm = app::IsaKernel<StreamKernelSet>;

// The run's two passes and their headings. The SSE2 forms decide whether a pass runs; it then
// times the widest form its table's pick allows (the heading stays the pass's).
inline constexpr const char* kPrefetchPass = "SSE2 STREAM";
inline constexpr const char* kBlockPass = "SSE2 BLOCK STREAM";

// Each pass's table of forms, widest first: AVX-512F, AVX, SSE2, then the plain loops.
inline constexpr int kSse2Row = 2;
extern const StreamForm kPrefetchForms[4];
extern const StreamForm kBlockForms[4];

// Whether the process's decision allows the SSE2 forms; without them the run skips its passes.
bool timed_forms_allowed();

}  // namespace stream
