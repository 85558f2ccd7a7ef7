// The instruction-set decision from recorded processors: CPUID registers as the processors
// return them, decoded into the report, then the features the kernels may use and the rows
// a kernel table picks.
#include <gtest/gtest.h>

#include "app/isa.h"
#include "app/processor_detect.h"
#include "support/fake_cpuid.h"

namespace {

using app::IsaFeatures;

constexpr IsaFeatures kSse2Set = app::kIsaSse | app::kIsaSse2 | app::kIsaSse3;
constexpr IsaFeatures kAvx2Set = app::kIsaAvx | app::kIsaAvx2 | app::kIsaFma;

using Recorded = testing_support::FakeCpuid;

// Leaf 0 (highest leaf, "GenuineIntel"), leaf 1 ECX and EDX, leaf 7 EBX, XCR0.
Recorded intel(uint32_t max_leaf, uint32_t ecx1, uint32_t edx1, uint32_t ebx7, uint64_t xcr0) {
    Recorded r;
    r.set(0, max_leaf, 0x756e6547, 0x6c65746e, 0x49656e69);
    r.set(1, 0, 0x00100800, ecx1, edx1);
    if (max_leaf >= 7) r.set(7, 0, ebx7, 0, 0);
    r.xcr0 = xcr0;
    return r;
}

IsaFeatures decide(Recorded r) {
    app::ProcessorInfo info;
    app::DetectCpuFeatures(r, info);
    return app::isa_of_report(info);
}

TEST(IsaDecision, RecordedProcessors) {
    struct Row {
        const char* name;
        Recorded cpu;
        IsaFeatures want;
    };
    const Row rows[] = {
        // SSE3 only beyond the base.
        {"Pentium 4 (Prescott)", intel(5, 0x0000441d, 0xbfebfbff, 0, 0), kSse2Set},
        // Core i7-920: SSE4.2, no AVX, no AES.
        {"Nehalem", intel(0xb, 0x0098e3bd, 0xbfebfbff, 0, 0), kSse2Set},
        // AES-NI without AVX.
        {"Westmere", intel(0xb, 0x029ee3ff, 0xbfebfbff, 0, 0), kSse2Set | app::kIsaAesni},
        // AVX without AVX2 and FMA.
        {"Sandy Bridge", intel(0xd, 0x1fbae3ff, 0xbfebfbff, 0, 0x7),
         kSse2Set | app::kIsaAesni | app::kIsaAvx},
        {"Haswell", intel(0xd, 0x7ffafbff, 0xbfebfbff, 0x000027ab, 0x7),
         kSse2Set | app::kIsaAesni | kAvx2Set},
        // The same processor under an operating system that does not save the YMM registers.
        {"Haswell, YMM not saved", intel(0xd, 0x7ffafbff, 0xbfebfbff, 0x000027ab, 0x3),
         kSse2Set | app::kIsaAesni},
        // AES-NI masked off (as some virtual machines do).
        {"Haswell without AES-NI", intel(0xd, 0x7dfafbff, 0xbfebfbff, 0x000027ab, 0x7),
         kSse2Set | kAvx2Set},
    };
    for (const Row& row : rows) EXPECT_EQ(decide(row.cpu), row.want) << row.name;
}

TEST(IsaDecision, TablesPickTheFirstRowTheFeaturesAllow) {
    using Fn = int (*)();
    const app::IsaKernel<Fn> table[] = {
        {"AVX2+FMA", kAvx2Set, nullptr},
        {"AVX", app::kIsaAvx, nullptr},
        {"plain", app::kIsaPlain, nullptr},
    };
    const struct {
        IsaFeatures available;
        const char* want;
    } rows[] = {
        {kSse2Set | kAvx2Set, "AVX2+FMA"},
        {kSse2Set | app::kIsaAvx | app::kIsaAvx2, "AVX"},  // AVX2 without FMA
        {kSse2Set | app::kIsaAvx | app::kIsaFma, "AVX"},
        {kSse2Set | app::kIsaAesni, "plain"},
        {app::kIsaPlain, "plain"},
    };
    for (const auto& row : rows)
        EXPECT_STREQ(app::pick_kernel(table, row.available).name, row.want) << row.available;
}

}  // namespace
