// The copy kernels of the bandwidth measurement. Each copies a block of `size` bytes from
// `src` to `dst`, `reps` times back to back. They walk an index from -size/8 quadwords up to 0
// from the ends of both blocks, one step at a time (128 bytes for the register copy, 256 bytes
// for the SSE forms); bytes beyond the last whole step are not copied, and a block smaller
// than one step is not touched at all. Buffers are 16-byte aligned.
#pragma once

#include <cstddef>

namespace membench {

inline constexpr int kRegisterStepBytes = 128;
inline constexpr int kSseStepBytes = 256;

// Slots 1-3 (inline assembly, any x86-64 processor).
void copy_rep_movsd(int size, int reps, const void* src, void* dst);
void copy_rep_movsq(int size, int reps, const void* src, void* dst);
void copy_alu_registers(int size, int reps, const void* src, void* dst);

// Slots 4-7 (SSE): aligned or unaligned single-precision loads, non-temporal stores, with or
// without non-temporal prefetch 1024 bytes ahead.
void copy_sse_aligned(int size, int reps, const void* src, void* dst);
void copy_sse_aligned_prefetch(int size, int reps, const void* src, void* dst);
void copy_sse_unaligned(int size, int reps, const void* src, void* dst);
void copy_sse_unaligned_prefetch(int size, int reps, const void* src, void* dst);

// Slots 8-9 (SSE2): 128-bit integer loads and non-temporal stores.
void copy_sse2_aligned(int size, int reps, const void* src, void* dst);
void copy_sse2_aligned_prefetch(int size, int reps, const void* src, void* dst);

}  // namespace membench
