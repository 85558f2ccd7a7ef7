#include "membench/bandwidth.h"

#include <cstring>

#include "app/counter.h"
#include "app/processor_info.h"
#include "membench/copy_kernels.h"

namespace membench {
namespace {

constexpr const char* kMethodNames[kMethodSlots] = {"Compiler",
                                                    "REP MOVSD",
                                                    "REP MOVSQ",
                                                    "ALU Reg Copy",
                                                    "SSE PAlign",
                                                    "SSE PAlign SSE",
                                                    "SSE PUnAlign",
                                                    "SSE PUnAlign SSE",
                                                    "SSE2 PAlign",
                                                    "SSE2 PAlign SSE",
                                                    "",
                                                    "",
                                                    "",
                                                    ""};

using Kernel = void (*)(int, int, const void*, void*);

constexpr Kernel kKernels[kMethodCount] = {
    nullptr,
    copy_rep_movsd,
    copy_rep_movsq,
    copy_alu_registers,
    copy_sse_aligned,
    copy_sse_aligned_prefetch,
    copy_sse_unaligned,
    copy_sse_unaligned_prefetch,
    copy_sse2_aligned,
    copy_sse2_aligned_prefetch,
};

// Slot 0: the runtime library's copy, once per repetition, counted in floating point.
void library_copy(float repetitions, int size, void* a, const void* b) {
    for (float i = 0; repetitions > i; i += 1.0f) {
        std::memcpy(a, b, static_cast<std::size_t>(size));
        // Keeps the repeated copies apart: each one is a call the library really makes.
        asm volatile("" ::: "memory");
    }
}

}  // namespace

const char* method_name(int slot) {
    return slot >= 0 && slot < kMethodSlots ? kMethodNames[slot] : "";
}

CopyIsa processor_copy_isa() {
    const app::ProcessorInfo& p = app::processor_info();
    return {p.sse != 0, p.sse2 != 0};
}

void run_copy_method(int slot, int size, int reps, void* a, void* b) {
    if (slot == 0) {
        library_copy(static_cast<float>(reps), size, a, b);
    } else if (slot > 0 && slot < kMethodCount) {
        kKernels[slot](size, reps, a, b);
    }
}

float bandwidth_mbs(int size, float repetitions, double seconds) {
    if (!(seconds > 0.0)) return 0.0f;
    // Bytes read plus bytes written per repetition, in MB of 2^20 bytes per second.
    const float per_rep = static_cast<float>(seconds / repetitions);
    return (2.0f * static_cast<float>(size)) / per_rep * (1.0f / 1048576.0f);
}

float measure_bandwidth(float block, float repetitions, void* a, void* b, BandwidthRow& row,
                        const CopyIsa& isa) {
    const int size = static_cast<int>(block);
    const int reps = static_cast<int>(repetitions);
    const double frequency = app::counter_frequency();
    auto store = [&](int slot, int64_t t0, int64_t t1) {
        row[slot] = bandwidth_mbs(size, repetitions, static_cast<double>(t1 - t0) / frequency);
    };
    for (int slot = 0; slot < kMethodCount; ++slot) {
        const bool needs_sse = slot >= 4 && slot <= 7;
        const bool needs_sse2 = slot >= 8;
        if ((needs_sse && !isa.sse) || (needs_sse2 && !isa.sse2)) {
            row[slot] = kIsaNotSupported;
            continue;
        }
        const int64_t t0 = app::counter_now();
        if (slot == 0)
            library_copy(repetitions, size, a, b);
        else
            kKernels[slot](size, reps, a, b);
        const int64_t t1 = app::counter_now();
        store(slot, t0, t1);
    }
    float best = 0.0f;
    for (int slot = 0; slot < kMethodCount; ++slot)
        if (row[slot] > best) best = row[slot];
    return best;
}

}  // namespace membench
