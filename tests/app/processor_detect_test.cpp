// Processor detection from recorded CPUID registers: the report lines, the flags the kernels
// choose by, the counts, and machines the clock table is too small for.
#include "app/processor_detect.h"

#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "app/counter.h"
#include "app/thread.h"
#include "support/temp_dir.h"

namespace {

// Registers recorded from a processor; leaves not recorded read as zeros.
class RecordedCpuid final : public app::CpuidSource {
  public:
    std::map<uint32_t, app::CpuidRegs> leaves;
    uint64_t xcr0 = 0;
    int queries = 0;
    app::CpuidRegs query(uint32_t leaf, uint32_t) override {
        ++queries;
        auto it = leaves.find(leaf);
        return it == leaves.end() ? app::CpuidRegs{} : it->second;
    }
    uint64_t xgetbv(uint32_t) override { return xcr0; }

    // The brand text as the three brand leaves return it.
    void set_brand(const char* text) {
        char buf[48] = {};
        std::strncpy(buf, text, sizeof buf);
        for (uint32_t i = 0; i < 3; ++i) {
            app::CpuidRegs r;
            std::memcpy(&r, buf + 16 * i, 16);
            leaves[0x80000002u + i] = r;
        }
    }
};

// This development machine (AMD), as the issue recorded it: two logical IDs per package.
RecordedCpuid amd_machine() {
    RecordedCpuid c;
    c.leaves[0] = {0x0000000d, 0x68747541, 0x444d4163, 0x69746e65};  // "AuthenticAMD"
    c.leaves[1] = {0x00b00f21, 0x00020800, 0xfed83203, 0x178bfbff};
    c.leaves[7] = {0x00000001, 0xf1bb03a9, 0x18005f42, 0x00000110};
    c.leaves[0x80000000u] = {0x80000021, 0x68747541, 0x444d4163, 0x69746e65};
    c.leaves[0x80000001u] = {0x00b00f21, 0x40000000, 0x440001f1, 0x25d3fbff};
    c.leaves[0x80000005u] = {0xff60ff40, 0xff60ff40, 0x20080140, 0x20080140};
    c.set_brand("AMD EPYC Test Processor");
    c.xcr0 = 0x7;  // x87, SSE and AVX state saved by the kernel
    return c;
}

// An old single-core Intel processor: SSE2, no HTT, no extended leaves at all.
RecordedCpuid old_intel() {
    RecordedCpuid c;
    c.leaves[0] = {0x00000002, 0x756e6547, 0x6c65746e, 0x49656e69};  // "GenuineIntel"
    c.leaves[1] = {0x00000f29, 0x00010800, 0x00000000, 0x07c9fbff};
    c.leaves[0x80000000u] = {0x00000000, 0, 0, 0};
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

const std::string kAmdIsaLines =
    "Intel Streaming SIMD (SSE) processor instructions supported.\r\n"
    "Intel Streaming SIMD 2 (SSE2) processor instructions supported.\r\n"
    "Hyperthreading Technology (HTT) supported.\r\n"
    " - 2 logic processors per physical processor.\r\n"
    "Intel Streaming SIMD 3 (SSE3) processor instructions supported.\r\n"
    "AMD64 instruction set supported.\r\n";

TEST(ProcessorReport, OneProcessorPrintsVendorBrandClockAndInstructionSets) {
    RecordedCpuid c = amd_machine();
    app::ProcessorInfo info;
    const std::string report = app::detect_processors(info, inputs_for(c, 1, 1, 3'579'545.0));
    EXPECT_EQ(report,
              "AuthenticAMD \r\nAMD EPYC Test Processor\r\n3.579545 MHz\r\n" + kAmdIsaLines);
    EXPECT_STREQ(info.vendor, "AuthenticAMD");
    EXPECT_EQ(info.logical_per_package, 2u);
    EXPECT_EQ(info.physical_processor_count, 1u);
    EXPECT_EQ(info.counter_frequency, 3'579'545.0);
    EXPECT_EQ(info.clock_rate_wide, static_cast<double>(3.579545f));
    EXPECT_EQ(info.amd_3dnow + info.amd_3dnow_ext, 0u);
}

TEST(ProcessorReport, FourProcessorsWithTwoLogicalEach) {
    RecordedCpuid c = amd_machine();
    app::ProcessorInfo info;
    const std::string report = app::detect_processors(info, inputs_for(c, 4, 2, 2.4e9));
    std::string triple = "AuthenticAMD \r\nAMD EPYC Test Processor\r\n2400.000000 MHz\r\n";
    EXPECT_EQ(report, triple + triple + triple + triple + kAmdIsaLines);
    EXPECT_EQ(info.processor_count, 4u);
    EXPECT_EQ(info.physical_processor_count, 2u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(info.clock_rate_per_processor[i], 2400.0f);
    EXPECT_EQ(info.clock_rate_per_processor[4], 0.0f);
}

TEST(ProcessorReport, NoExtendedLeavesGiveAnEmptyBrandAndNoHttLines) {
    RecordedCpuid c = old_intel();
    app::ProcessorInfo info;
    std::memset(info.brand, 'x', 48);  // stale text must not survive
    const std::string report = app::detect_processors(info, inputs_for(c, 1, 1, 1e9));
    EXPECT_EQ(report,
              "GenuineIntel \r\n\r\n1000.000000 MHz\r\n"
              "Intel Streaming SIMD (SSE) processor instructions supported.\r\n"
              "Intel Streaming SIMD 2 (SSE2) processor instructions supported.\r\n");
    EXPECT_EQ(info.logical_per_package, 1u);
    EXPECT_EQ(info.physical_processor_count, 1u);
    EXPECT_EQ(info.amd64, 0u);
}

TEST(ProcessorReport, HighestBasicLeafZeroStopsAfterTheVendor) {
    RecordedCpuid c = amd_machine();
    c.leaves[0].eax = 0;
    app::ProcessorInfo info;
    const std::string report = app::detect_processors(info, inputs_for(c, 1, 1, 1e6));
    EXPECT_EQ(report, "AuthenticAMD \r\n\r\n1.000000 MHz\r\n");
    EXPECT_EQ(info.sse + info.sse2 + info.avx + info.amd64, 0u);
}

TEST(ProcessorReport, ThreeDNowLinesComeFirstInTheirOrder) {
    RecordedCpuid c = amd_machine();
    c.leaves[0x80000001u].edx = 0xe0000000;  // 3DNow!, extended 3DNow!, AMD64
    c.leaves[1].edx &= ~(1u << 28);          // no HTT
    app::ProcessorInfo info;
    const std::string report = app::detect_processors(info, inputs_for(c, 1, 1, 1e9));
    EXPECT_NE(report.find("1000.000000 MHz\r\n"
                          "AMD 3dNow! processor instructions supported.\r\n"
                          "AMD Enhanced 3dNow! processor instructions supported.\r\n"
                          "Intel Streaming SIMD (SSE) processor instructions supported.\r\n"
                          "Intel Streaming SIMD 2 (SSE2) processor instructions supported.\r\n"
                          "Intel Streaming SIMD 3 (SSE3) processor instructions supported.\r\n"
                          "AMD64 instruction set supported.\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(info.logical_per_package, 1u);
}

TEST(ProcessorCounts, MoreThanSixteenProcessorsAreReportedWithoutOverrunningTheTable) {
    RecordedCpuid c = amd_machine();
    app::ProcessorInfo info;
    const std::string report = app::detect_processors(info, inputs_for(c, 20, 10, 1e9));
    std::size_t triples = 0;
    for (std::size_t p = 0; (p = report.find("1000.000000 MHz\r\n", p)) != std::string::npos; ++p)
        ++triples;
    EXPECT_EQ(triples, 20u);
    for (float rate : info.clock_rate_per_processor) EXPECT_EQ(rate, 1000.0f);
    EXPECT_EQ(info.processor_count, 20u);
    EXPECT_EQ(info.physical_processor_count, 10u);
}

TEST(ProcessorCounts, PhysicalCountComesFromTheTopologyNotFromCpuid) {
    // The recorded logical count (254 addressable IDs, as some virtual machines report) would
    // make the old formula 0; the topology gives at least one core.
    RecordedCpuid c = amd_machine();
    c.leaves[1].ebx = 0x8ffe0800;
    app::ProcessorInfo info;
    const int n = app::processor_count();
    app::detect_processors(info, inputs_for(c, n, 0, 1e9));
    EXPECT_EQ(info.logical_per_package, 254u);
    EXPECT_GE(info.physical_processor_count, 1u);
    EXPECT_EQ(info.physical_processor_count,
              static_cast<uint32_t>(std::min(app::physical_processor_count(), n)));
    // A topology that claims more cores than processors is held to the processor count.
    app::detect_processors(info, inputs_for(c, 2, 8, 1e9));
    EXPECT_EQ(info.physical_processor_count, 2u);
}

TEST(ProcessorCounts, InlineQueriesGiveTheSameReportAsThreads) {
    RecordedCpuid a = amd_machine(), b = amd_machine();
    app::ProcessorInfo ia, ib;
    app::DetectionInputs threaded = inputs_for(a, 3, 3, 1e9);
    app::DetectionInputs inline_run = inputs_for(b, 3, 3, 1e9);
    inline_run.use_threads = false;
    EXPECT_EQ(app::detect_processors(ia, threaded), app::detect_processors(ib, inline_run));
    EXPECT_EQ(a.queries, b.queries);
}

TEST(KernelFlags, AvxNeedsTheOperatingSystemToSaveYmmState) {
    RecordedCpuid c = amd_machine();
    app::ProcessorInfo info;
    app::DetectCpuFeatures(c, info);
    EXPECT_EQ(info.avx, 1u);
    EXPECT_EQ(info.avx2, 1u);
    EXPECT_EQ(info.fma, 1u);
    EXPECT_EQ(info.aesni, 1u);

    c.xcr0 = 0x3;  // the kernel saves SSE state only
    app::DetectCpuFeatures(c, info);
    EXPECT_EQ(info.avx + info.avx2 + info.fma, 0u);
    EXPECT_EQ(info.aesni, 1u);

    c.xcr0 = 0x7;
    c.leaves[1].ecx &= ~(1u << 27);  // no OSXSAVE: XCR0 cannot even be read
    app::DetectCpuFeatures(c, info);
    EXPECT_EQ(info.avx + info.avx2, 0u);

    // The extra flags never reach the report.
    RecordedCpuid plain = amd_machine();
    plain.xcr0 = 0;
    app::ProcessorInfo i1, i2;
    RecordedCpuid full = amd_machine();
    EXPECT_EQ(app::detect_processors(i1, inputs_for(plain, 1, 1, 1e9)),
              app::detect_processors(i2, inputs_for(full, 1, 1, 1e9)));
}

TEST(KernelFlags, Avx2IsNotReadWhenTheBasicRangeStopsBeforeLeafSeven) {
    RecordedCpuid c = amd_machine();
    c.leaves[0].eax = 6;
    app::ProcessorInfo info;
    app::DetectCpuFeatures(c, info);
    EXPECT_EQ(info.avx, 1u);
    EXPECT_EQ(info.avx2, 0u);
}

TEST(ProcessorReport, RealProcessorDetectsSaneValues) {
    app::ProcessorInfo info;
    const std::string report = app::detect_processors(info);
    EXPECT_EQ(std::strlen(info.vendor), 12u);
    EXPECT_EQ(info.sse2, 1u);  // every x86-64 processor has it
    EXPECT_GE(info.physical_processor_count, 1u);
    EXPECT_LE(info.physical_processor_count, info.processor_count);
    EXPECT_NE(report.find(" MHz\r\n"), std::string::npos);
}

// Makes a German locale available: an installed one, or one compiled into `dir` (LOCPATH).
const char* comma_locale(const std::filesystem::path& dir) {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) return "de_DE.UTF-8";
    const std::string cmd =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return nullptr;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") ? "de_DE.UTF-8" : nullptr;
}

TEST(ProcessorReport, FiguresPrintWithAPointInACommaLocale) {
    testing_support::TempDir dir;
    const std::string old = std::setlocale(LC_NUMERIC, nullptr);
    if (!comma_locale(dir.path())) GTEST_SKIP() << "no de_DE locale can be made here";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5");  // the locale really is in force
    RecordedCpuid c = amd_machine();
    app::ProcessorInfo info;
    const std::string report = app::detect_processors(info, inputs_for(c, 1, 1, 3'579'545.0));
    std::setlocale(LC_NUMERIC, old.c_str());
    unsetenv("LOCPATH");
    EXPECT_NE(report.find("\r\n3.579545 MHz\r\n"), std::string::npos);
}

TEST(Counter, TscOnlyWhenInvariantOrTheKernelsClock) {
    EXPECT_TRUE(app::tsc_is_usable(true, "hpet"));
    EXPECT_TRUE(app::tsc_is_usable(false, "tsc"));
    EXPECT_FALSE(app::tsc_is_usable(false, "hpet"));
    EXPECT_FALSE(app::tsc_is_usable(false, ""));
}

TEST(Counter, FallbackCountsNanosecondsOfTheMonotonicClock) {
    app::CounterSource& m = app::monotonic_counter();
    EXPECT_EQ(m.frequency(), 1e9);
    timespec before{}, after{};
    clock_gettime(CLOCK_MONOTONIC, &before);
    const int64_t t = m.now();
    clock_gettime(CLOCK_MONOTONIC, &after);
    EXPECT_GE(t, before.tv_sec * 1'000'000'000LL + before.tv_nsec);
    EXPECT_LE(t, after.tv_sec * 1'000'000'000LL + after.tv_nsec);
}

TEST(Counter, ChosenCounterNeverRunsBackwards) {
    app::counter_init();
    EXPECT_GT(app::counter_frequency(), 1e6);
    int64_t last = app::counter_now();
    for (int i = 0; i < 1000; ++i) {
        const int64_t now = app::counter_now();
        ASSERT_GE(now, last);
        last = now;
    }
}

}  // namespace
