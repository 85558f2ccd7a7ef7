// The bandwidth measurement: every copy method over one block, timed, in MB/s (2^20 bytes).
#pragma once

#include <array>
#include <cstddef>

namespace membench {

inline constexpr int kMethodSlots = 14;
inline constexpr int kMethodCount = 10;  // slots 0-9; 10-13 stay 0
inline constexpr float kIsaNotSupported = -1.0f;

using BandwidthRow = std::array<float, kMethodSlots>;

// The dialog's row labels, slot by slot (empty for the slots without a method).
const char* method_name(int slot);

// The instruction sets a copy method may need.
struct CopyIsa {
    bool sse = false;
    bool sse2 = false;
};

// The instruction sets the copy methods may use: the process's decision (app/isa.h).
CopyIsa processor_copy_isa();

// Runs the copy of `slot` (0-9) once per repetition over `size` bytes from `a` into `b`
// (slot 0, the library copy, copies b into a).
void run_copy_method(int slot, int size, int reps, void* a, void* b);

// Writes every byte of the two copy buffers (a different non-zero pattern in each) before
// anything is timed. A buffer that is only allocated is read from the system's shared zero
// page, which never leaves the first-level cache, and would give a copy figure that no memory
// delivers.
inline constexpr unsigned char kPatternA = 0x5A, kPatternB = 0xA5;
void prepare_copy_buffers(void* a, void* b, std::size_t bytes);

// MB/s (2^20 bytes) of `repetitions` copies of `size` bytes in `seconds`: the bytes read plus
// the bytes written per repetition over the time of one, in single precision. 0 when no time
// passed (a counter that did not move measured nothing).
float bandwidth_mbs(int size, float repetitions, double seconds);

// Copies `block` bytes `repetitions` times with every method the processor allows, writes
// slots 0-9 of `row` (-1 for a method it lacks) and returns the best figure (at least 0).
// a and b must each hold at least `block` bytes (plus one SSE step), 16-byte aligned.
float measure_bandwidth(float block, float repetitions, void* a, void* b, BandwidthRow& row,
                        const CopyIsa& isa);

}  // namespace membench
