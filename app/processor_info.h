// What start-up learns about the processor: vendor, brand, instruction sets, processor counts
// and the counter frequency. Written once during start-up, read-only afterwards.
#pragma once

#include <cstdint>

namespace app {

struct ProcessorInfo {
    char vendor[13] = {};
    char brand[49] = {};
    uint32_t hyperthreading = 0;       // leaf 1 EDX bit 28
    uint32_t logical_per_package = 0;  // leaf 1 EBX bits 16-23 (1 without HTT)
    uint32_t sse = 0, sse2 = 0, sse3 = 0;
    uint32_t amd_3dnow = 0, amd_3dnow_ext = 0, amd64 = 0;
    // Beyond the report: the kernels choose their fastest forms from these.
    uint32_t avx = 0, avx2 = 0, fma = 0, aesni = 0;
    // AVX-512 Foundation with its register state saved by the operating system.
    uint32_t avx512f = 0;
    // Beside it, the byte instructions of AVX-512 BW and VBMI (byte permutes across registers).
    uint32_t avx512vbmi = 0;
    // Display family and model of leaf 1 (extended fields folded in): the microarchitecture.
    uint32_t family = 0, model = 0;
    uint32_t processor_count = 1;
    // Distinct cores among the allowed processors, from the operating system (never 0).
    uint32_t physical_processor_count = 1;
    double counter_frequency = 1e9;   // ticks per second
    float clock_rate = 1000.0f;       // MHz
    double clock_rate_wide = 1000.0;  // MHz; the copy the benchmarks read
    float clock_rate_per_processor[16] = {};
};

// The program's record.
ProcessorInfo& processor_info();

}  // namespace app
