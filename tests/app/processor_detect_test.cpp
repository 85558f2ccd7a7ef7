// Processor detection from recorded CPUID registers: the report lines, the flags the kernels
// choose by, the counts, and machines the clock table is too small for.
#include "app/processor_detect.h"

#include <gtest/gtest.h>

#include <time.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/counter.h"
#include "app/thread.h"
#include "support/fake_cpuid.h"
#include "support/german_locale.h"
#include "support/temp_dir.h"

namespace {

using RecordedCpuid = testing_support::FakeCpuid;

// This development machine (AMD), as the issue recorded it: two logical IDs per package.
RecordedCpuid amd_machine() {
    RecordedCpuid c;
    c.regs[{0, 0}] = {0x0000000d, 0x68747541, 0x444d4163, 0x69746e65};  // "AuthenticAMD"
    c.regs[{1, 0}] = {0x00b00f21, 0x00020800, 0xfed83203, 0x178bfbff};
    c.regs[{7, 0}] = {0x00000001, 0xf1bb03a9, 0x18005f42, 0x00000110};
    c.regs[{0x80000000u, 0}] = {0x80000021, 0x68747541, 0x444d4163, 0x69746e65};
    c.regs[{0x80000001u, 0}] = {0x00b00f21, 0x40000000, 0x440001f1, 0x25d3fbff};
    c.regs[{0x80000005u, 0}] = {0xff60ff40, 0xff60ff40, 0x20080140, 0x20080140};
    c.set_brand("AMD EPYC Test Processor");
    c.xcr0 = 0x7;  // x87, SSE and AVX state saved by the kernel
    return c;
}

// An old single-core Intel processor: SSE2, no HTT, no extended leaves at all.
RecordedCpuid old_intel() {
    RecordedCpuid c;
    c.regs[{0, 0}] = {0x00000002, 0x756e6547, 0x6c65746e, 0x49656e69};  // "GenuineIntel"
    c.regs[{1, 0}] = {0x00000f29, 0x00010800, 0x00000000, 0x07c9fbff};
    c.regs[{0x80000000u, 0}] = {0x00000000, 0, 0, 0};
    return c;
}

app::DetectionInputs inputs_for(RecordedCpuid& c, int processors, int physical, double hz) {
    app::DetectionInputs in;
    in.cpuid = &c;
    in.processor_count = processors;
    in.physical_count = physical;
    in.counter_frequency = hz;
    return in;
}

const std::string kSse = "Intel Streaming SIMD (SSE) processor instructions supported.\r\n",
                  kSse2 = "Intel Streaming SIMD 2 (SSE2) processor instructions supported.\r\n",
                  kSse3AndAmd64 =
                      "Intel Streaming SIMD 3 (SSE3) processor instructions supported.\r\n"
                      "AMD64 instruction set supported.\r\n",
                  kAmdIsaLines = kSse + kSse2 +
                                 "Hyperthreading Technology (HTT) supported.\r\n"
                                 " - 2 logic processors per physical processor.\r\n" +
                                 kSse3AndAmd64;

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(ProcessorReport, ReportAndCountsFromRecordedMachines) {
    RecordedCpuid leaf0_zero = amd_machine(), three_dnow = amd_machine();
    leaf0_zero.regs[{0, 0}].eax = 0;                     // stops after the vendor
    three_dnow.regs[{0x80000001u, 0}].edx = 0xe0000000;  // 3DNow!, extended 3DNow!, AMD64
    three_dnow.regs[{1, 0}].edx &= ~(1u << 28);          // no HTT
    const std::string amd = "AuthenticAMD \r\nAMD EPYC Test Processor\r\n";
    struct Row {
        RecordedCpuid cpu;
        int processors, physical;
        double hz;
        std::string report;
        uint32_t logical;
    } rows[] = {
        {amd_machine(), 1, 1, 3'579'545.0, amd + "3.579545 MHz\r\n" + kAmdIsaLines, 2},
        {amd_machine(), 4, 2, 2.4e9, repeat(amd + "2400.000000 MHz\r\n", 4) + kAmdIsaLines, 2},
        // More processors than the clock table holds, without overrunning it.
        {amd_machine(), 20, 10, 1e9, repeat(amd + "1000.000000 MHz\r\n", 20) + kAmdIsaLines, 2},
        // No extended leaves: an empty brand (stale text must not survive) and no HTT lines.
        {old_intel(), 1, 1, 1e9, "GenuineIntel \r\n\r\n1000.000000 MHz\r\n" + kSse + kSse2, 1},
        {leaf0_zero, 1, 1, 1e6, "AuthenticAMD \r\n\r\n1.000000 MHz\r\n", 1},
        // 3DNow! lines come first, in their order.
        {three_dnow, 1, 1, 1e9,
         amd +
             "1000.000000 MHz\r\nAMD 3dNow! processor instructions supported.\r\n"
             "AMD Enhanced 3dNow! processor instructions supported.\r\n" +
             kSse + kSse2 + kSse3AndAmd64,
         1},
    };
    for (Row& r : rows) {
        app::ProcessorInfo info;
        std::memset(info.brand, 'x', 48);
        EXPECT_EQ(app::detect_processors(info, inputs_for(r.cpu, r.processors, r.physical, r.hz)),
                  r.report);
        EXPECT_EQ(info.logical_per_package, r.logical) << r.report;
        const int table = static_cast<int>(std::size(info.clock_rate_per_processor));
        for (int i = 0; i < table && r.processors > 1; ++i)
            EXPECT_EQ(info.clock_rate_per_processor[i],
                      i < r.processors ? static_cast<float>(r.hz / 1e6) : 0.0f);
        // The report shows sse and sse2; AVX stays off where leaf 1 was never read.
        if (r.report.find("SSE") == std::string::npos) {
            EXPECT_EQ(info.avx, 0u);
        }
    }
    app::ProcessorInfo info;
    RecordedCpuid c = amd_machine();
    app::detect_processors(info, inputs_for(c, 1, 1, 3'579'545.0));
    EXPECT_EQ(info.clock_rate_wide, static_cast<double>(3.579545f));
}

TEST(KernelFlags, AvxNeedsTheOperatingSystemToSaveYmmStateAndLeafSeven) {
    struct Row {
        uint64_t xcr0;
        bool osxsave;
        uint32_t top_leaf, avx, avx2;
    } rows[] = {
        {0x7, true, 0xd, 1, 1},
        {0x3, true, 0xd, 0, 0},   // the kernel saves SSE state only
        {0x7, false, 0xd, 0, 0},  // no OSXSAVE: XCR0 cannot even be read
        {0x7, true, 6, 1, 0},     // the basic range stops before leaf 7
    };
    for (const Row& r : rows) {
        RecordedCpuid c = amd_machine();
        c.xcr0 = r.xcr0;
        if (!r.osxsave) c.regs[{1, 0}].ecx &= ~(1u << 27);
        c.regs[{0, 0}].eax = r.top_leaf;
        app::ProcessorInfo info;
        app::DetectCpuFeatures(c, info);
        EXPECT_EQ(info.avx, r.avx) << r.xcr0 << r.osxsave << r.top_leaf;
        EXPECT_EQ(info.avx2, r.avx2);
        EXPECT_EQ(info.fma, r.avx);
        EXPECT_EQ(info.aesni, 1u);
    }
    // The extra flags never reach the report.
    RecordedCpuid plain = amd_machine(), full = amd_machine();
    plain.xcr0 = 0;
    app::ProcessorInfo i1, i2;
    EXPECT_EQ(app::detect_processors(i1, inputs_for(plain, 1, 1, 1e9)),
              app::detect_processors(i2, inputs_for(full, 1, 1, 1e9)));
}

}  // namespace
