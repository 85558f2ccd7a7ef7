// The ISA peak table over recorded processors: family and model decoded from leaf 1, the FLOP
// per cycle each microarchitecture gives, the peak at the clock rate and the efficiency texts.
#include "blas/isa_peak.h"

#include <gtest/gtest.h>

#include "app/processor_detect.h"
#include "support/fake_cpuid.h"

namespace {

using RecordedCpuid = testing_support::FakeCpuid;

// Vendor words of leaf 0 (EBX, EDX, ECX).
constexpr app::CpuidRegs kAmd = {0x0000000d, 0x68747541, 0x444d4163, 0x69746e65};
constexpr app::CpuidRegs kIntel = {0x0000000d, 0x756e6547, 0x6c65746e, 0x49656e69};
// Leaf 1 ECX/EDX with SSE2, AVX, FMA and OSXSAVE; leaf 7 EBX with AVX2 and AVX-512F.
constexpr uint32_t kEcxAvxFma = (1u << 28) | (1u << 27) | (1u << 12), kEdxSse2 = 1u << 26;
constexpr uint32_t kAvx2 = 1u << 5, kAvx512 = 1u << 16;

RecordedCpuid machine(const app::CpuidRegs& vendor, uint32_t signature, uint32_t ecx,
                      uint32_t leaf7_ebx, uint64_t xcr0) {
    RecordedCpuid c;
    c.regs[{0, 0}] = vendor;
    c.set(1, signature, 0, ecx, kEdxSse2);
    c.set(7, 0, leaf7_ebx, 0, 0);
    c.xcr0 = xcr0;
    return c;
}

TEST(IsaPeak, FlopsPerCycleByVendorFamilyAndModel) {
    struct Row {
        const char* name;
        RecordedCpuid cpu;
        uint32_t family, model;
        int dp;
    } rows[] = {
        // The development machine of the processor tests (Zen 5 server part); its recording
        // has the kernel saving no ZMM state, so AVX-512 does not count.
        {"recorded AMD", machine(kAmd, 0x00b00f21, 0xfed83203, 0xf1bb03a9, 0x7), 0x1a, 0x02, 16},
        {"same with ZMM saved", machine(kAmd, 0x00b00f21, 0xfed83203, 0xf1bb03a9, 0xe7), 0x1a, 0x02,
         32},
        {"Zen 5 mobile", machine(kAmd, 0x00b20f40, kEcxAvxFma, kAvx2 | kAvx512, 0xe7), 0x1a, 0x24,
         16},
        {"Zen 1", machine(kAmd, 0x00800f11, kEcxAvxFma, kAvx2, 0x7), 0x17, 0x01, 8},
        {"Zen+", machine(kAmd, 0x00800f82, kEcxAvxFma, kAvx2, 0x7), 0x17, 0x08, 8},
        {"Zen 2", machine(kAmd, 0x00830f10, kEcxAvxFma, kAvx2, 0x7), 0x17, 0x31, 16},
        {"Zen 3", machine(kAmd, 0x00a20f10, kEcxAvxFma, kAvx2, 0x7), 0x19, 0x21, 16},
        {"Zen 4", machine(kAmd, 0x00a60f12, kEcxAvxFma, kAvx2 | kAvx512, 0xe7), 0x19, 0x61, 16},
        {"K8", machine(kAmd, 0x00020fb1, 0, 0, 0), 0x0f, 0x2b, 2},
        // The recorded old Intel processor (NetBurst).
        {"recorded Intel", machine(kIntel, 0x00000f29, 0, 0, 0), 0x0f, 0x02, 2},
        {"Core 2", machine(kIntel, 0x000006fb, 0, 0, 0), 6, 0x0f, 4},
        {"Sandy Bridge", machine(kIntel, 0x000206a7, 1u << 28 | 1u << 27, 0, 0x7), 6, 0x2a, 8},
        {"Haswell", machine(kIntel, 0x000306c3, kEcxAvxFma, kAvx2, 0x7), 6, 0x3c, 16},
        {"Skylake-SP", machine(kIntel, 0x00050654, kEcxAvxFma, kAvx2 | kAvx512, 0xe7), 6, 0x55, 16},
        {"Sapphire Rapids", machine(kIntel, 0x000806f8, kEcxAvxFma, kAvx2 | kAvx512, 0xe7), 6, 0x8f,
         32},
        {"unknown Intel family", machine(kIntel, 0x00000b10, kEcxAvxFma, kAvx2, 0x7), 0x0b, 0x01,
         8},
    };
    for (Row& row : rows) {
        app::ProcessorInfo info;
        app::DetectCpuFeatures(row.cpu, info);
        EXPECT_EQ(info.family, row.family) << row.name;
        EXPECT_EQ(info.model, row.model) << row.name;
        EXPECT_EQ(blas::dp_flops_per_cycle(info), row.dp) << row.name;
    }
}

}  // namespace
