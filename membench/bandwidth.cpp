#include "membench/bandwidth.h"

#include <cstring>

#include "app/counter.h"
#include "app/interrupt.h"
#include "app/isa.h"
#include "membench/copy_kernels.h"

namespace membench {
namespace {

using Kernel = void (*)(int, int, const void*, void*);

// The copy methods of slots 0-9 with the instruction sets they need. Slot 0, the library
// copy, is run by the callers themselves (it copies b into a and counts repetitions in
// floating point).
constexpr app::IsaKernel<Kernel> kCopyMethods[kMethodCount] = {
    {"Compiler", app::kIsaPlain, nullptr},
    {"REP MOVSD", app::kIsaPlain, copy_rep_movsd},
    {"REP MOVSQ", app::kIsaPlain, copy_rep_movsq},
    {"ALU Reg Copy", app::kIsaPlain, copy_alu_registers},
    {"SSE PAlign", app::kIsaSse, copy_sse_aligned},
    {"SSE PAlign SSE", app::kIsaSse, copy_sse_aligned_prefetch},
    {"SSE PUnAlign", app::kIsaSse, copy_sse_unaligned},
    {"SSE PUnAlign SSE", app::kIsaSse, copy_sse_unaligned_prefetch},
    {"SSE2 PAlign", app::kIsaSse2, copy_sse2_aligned},
    {"SSE2 PAlign SSE", app::kIsaSse2, copy_sse2_aligned_prefetch},
};

app::IsaFeatures features_of(const CopyIsa& isa) {
    return (isa.sse ? app::kIsaSse : 0u) | (isa.sse2 ? app::kIsaSse2 : 0u);
}

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
    return slot >= 0 && slot < kMethodCount ? kCopyMethods[slot].name : "";
}

CopyIsa processor_copy_isa() {
    const app::IsaFeatures f = app::chosen_isa();
    return {app::isa_allows(f, app::kIsaSse), app::isa_allows(f, app::kIsaSse2)};
}

void run_copy_method(int slot, int size, int reps, void* a, void* b) {
    if (slot == 0) {
        library_copy(static_cast<float>(reps), size, a, b);
    } else if (slot > 0 && slot < kMethodCount) {
        kCopyMethods[slot].fn(size, reps, a, b);
    }
}

void prepare_copy_buffers(void* a, void* b, std::size_t bytes) {
    std::memset(a, kPatternA, bytes);
    std::memset(b, kPatternB, bytes);
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
    const app::IsaFeatures available = features_of(isa);
    for (int slot = 0; slot < kMethodCount; ++slot) {
        // A method cannot stop mid-copy; the program's interrupt ends the row between them.
        if (app::interrupt_requested()) break;
        if (!app::isa_allows(available, kCopyMethods[slot].required)) {
            row[slot] = kIsaNotSupported;
            continue;
        }
        const int64_t t0 = app::counter_now();
        if (slot == 0)
            library_copy(repetitions, size, a, b);
        else
            kCopyMethods[slot].fn(size, reps, a, b);
        const int64_t t1 = app::counter_now();
        store(slot, t0, t1);
    }
    float best = 0.0f;
    for (int slot = 0; slot < kMethodCount; ++slot)
        if (row[slot] > best) best = row[slot];
    return best;
}

}  // namespace membench
