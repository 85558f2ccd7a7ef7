#include "blas/isa_peak.h"

#include <cmath>
#include <cstring>

#include "app/format.h"

namespace blas {
namespace {

bool vendor_is(const app::ProcessorInfo& info, const char* vendor) {
    return std::strncmp(info.vendor, vendor, 12) == 0;
}

// What the flags alone allow on the weakest core that has them.
int by_flags(const app::ProcessorInfo& info) {
    if (info.avx2 && info.fma) return 8;  // FMA on 128-bit units (Zen 1)
    if (info.avx) return 4;               // 128-bit add and multiply units (Jaguar)
    return 2;                             // one 128-bit SSE2 operation per cycle
}

int amd(const app::ProcessorInfo& info) {
    const uint32_t f = info.family, m = info.model;
    if (f == 0x1a) {
        // Zen 5: the server (Turin) and desktop (Granite Ridge) parts have full 512-bit FMA
        // units; the mobile ones split AVX-512 over 256-bit units.
        const bool full_width = m <= 0x1f || (m >= 0x40 && m <= 0x4f);
        return info.avx512f && full_width ? 32 : 16;
    }
    if (f == 0x19) return 16;                  // Zen 3 and Zen 4 (AVX-512 on 256-bit units)
    if (f == 0x17) return m >= 0x30 ? 16 : 8;  // Zen 2 from model 0x30; Zen 1 and Zen+
    if (f == 0x15) return 4;                   // Bulldozer: two 128-bit FMA units per module
    if (f == 0x10 || f == 0x12) return 4;      // K10: 128-bit add and multiply
    if (f == 0x0f || f == 0x11) return 2;      // K8
    return by_flags(info);
}

int intel(const app::ProcessorInfo& info) {
    const uint32_t f = info.family, m = info.model;
    if (f == 0x0f) return 2;  // NetBurst
    if (f != 6) return by_flags(info);
    switch (m) {
        // Sapphire, Emerald and Granite Rapids: two AVX-512 FMA units on every part.
        case 0x8f:
        case 0xcf:
        case 0xad:
        case 0xae:
            return info.avx512f ? 32 : 16;
        // Sandy Bridge and Ivy Bridge: 256-bit add and multiply, no FMA.
        case 0x2a:
        case 0x2d:
        case 0x3a:
        case 0x3e:
            return 8;
        // Core 2, Nehalem, Westmere: 128-bit add and multiply.
        case 0x0f:
        case 0x17:
        case 0x1a:
        case 0x1e:
        case 0x1f:
        case 0x25:
        case 0x2c:
        case 0x2e:
        case 0x2f:
            return 4;
        default:
            break;
    }
    // Haswell and later cores: two 256-bit FMA units (Skylake-SP and Ice Lake parts differ in
    // their number of 512-bit units, so they count as 256-bit here).
    if (info.avx2 && info.fma) return 16;
    return by_flags(info);
}

}  // namespace

int dp_flops_per_cycle(const app::ProcessorInfo& info) {
    if (!info.sse2) return 0;
    if (vendor_is(info, "AuthenticAMD")) return amd(info);
    if (vendor_is(info, "GenuineIntel")) return intel(info);
    return 0;
}

double isa_peak_mflops(const app::ProcessorInfo& info, bool single_precision) {
    const int dp = dp_flops_per_cycle(info);
    if (dp <= 0 || !(info.clock_rate_wide > 0.0) || !std::isfinite(info.clock_rate_wide))
        return 0.0;
    return dp * (single_precision ? 2 : 1) * info.clock_rate_wide;
}

std::string isa_peak_text(double peak_mflops) {
    return app::strprintf("ISA peak: %.0f MFLOPS", peak_mflops);
}

std::string efficiency_text(double measured_mflops, double peak_mflops) {
    if (!(peak_mflops > 0.0) || !std::isfinite(measured_mflops) || measured_mflops < 0)
        return "Efficiency: n/a";
    std::string text =
        app::strprintf("Efficiency: %.1f%% of ISA peak", measured_mflops / peak_mflops * 100.0);
    if (measured_mflops > peak_mflops) text += " (above the base-clock peak)";
    return text;
}

}  // namespace blas
