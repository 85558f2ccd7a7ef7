// Cache detection from recorded CPUID registers: the leaf-2 descriptor decoder, the leaf-4
// completion of current Intel processors, the AMD extended leaves and the generic fallback.
#include "membench/cache_info.h"

#include <gtest/gtest.h>

#include "support/fake_cpuid.h"

namespace {

using testing_support::FakeCpuid;

// One leaf-2 answer with repeat count 1 and the given descriptor bytes after it.
FakeCpuid intel_with(std::initializer_list<uint8_t> descriptors) {
    uint8_t bytes[16] = {1};
    int i = 1;
    for (uint8_t d : descriptors) bytes[i++] = d;
    uint32_t regs[4] = {};
    for (int b = 0; b < 16; ++b) regs[b / 4] |= static_cast<uint32_t>(bytes[b]) << (8 * (b % 4));
    FakeCpuid f;
    f.set(0, 2, 0, 0, 0);
    f.set(2, regs[0], regs[1], regs[2], regs[3]);
    return f;
}

membench::CacheInfo decode(FakeCpuid& f, const char* vendor = "GenuineIntel") {
    membench::CacheInfo info;
    membench::detect_caches(vendor, f, info);
    return info;
}

TEST(MembenchCacheIntel, DescriptorTableFillsEachCacheAndFormatsItsTexts) {
    FakeCpuid f = intel_with({0x2C, 0x30, 0x7C});
    const auto c = decode(f);
    EXPECT_EQ(c.l1_data_size, 32);
    EXPECT_EQ(c.l1_data_line, 64);
    EXPECT_EQ(c.l1_data_assoc_text, "8-way associative");
    EXPECT_EQ(c.l1_data_size_text, "32KB");
    EXPECT_EQ(c.l1_data_line_text, "64 byte cache line");
    EXPECT_EQ(c.l1_code_size_text, "32KB");
    EXPECT_EQ(c.l1_code_assoc_text, "8-way associative");
    EXPECT_EQ(c.l1_code_line_text, "64 byte cache line");
    EXPECT_EQ(c.l2_size, 1024);
    EXPECT_EQ(c.l2_line_text, "64 byte cache line");
}

TEST(MembenchCacheIntel, DescriptorFfTakesTheCachesFromLeafFour) {
    FakeCpuid f;
    testing_support::record_current_intel(f);
    const auto c = decode(f);
    EXPECT_EQ(c.l1_data_size, 48);
    EXPECT_EQ(c.l1_data_assoc_text, "12-way associative");
    EXPECT_EQ(c.l1_data_line_text, "64 byte cache line");
    EXPECT_EQ(c.l1_code_size, 32);
    EXPECT_EQ(c.l1_code_assoc_text, "8-way associative");
    EXPECT_EQ(c.l2_size, 1280);
    EXPECT_EQ(c.l2_assoc_text, "10-way associative");
    EXPECT_EQ(c.l2_line, 64);
    EXPECT_EQ(c.trace_cache, 0);

    // Without 0xFF leaf 4 is never read, even when present.
    FakeCpuid old = intel_with({0x2C});
    testing_support::record_current_intel(old);
    old.set(2, 0x00002C01u, 0, 0, 0);
    const auto o = decode(old);
    EXPECT_EQ(o.l1_data_size, 32);
    EXPECT_EQ(o.l2_size, 0);
    EXPECT_EQ(old.queries[4], 0);
}

TEST(MembenchCacheAmd, AssociativityCodesAndMissingSecondLevelLeaf) {
    FakeCpuid f;
    f.set(0x80000000u, 0x80000005u, 0, 0, 0);
    f.set(0x80000005u, 0, 0, 0x40FF0140u, 0x20100140u);
    f.set(0x80000006u, 0, 0, 0x02006140u, 0);  // present but beyond the highest leaf
    const auto c = decode(f, "AuthenticAMD");
    EXPECT_EQ(c.l1_data_assoc_text, "Fully associative");
    EXPECT_EQ(c.l1_code_assoc_text, "16-way associative");
    EXPECT_EQ(c.l2_size, 0);
    EXPECT_EQ(c.l2_size_text, "");
    EXPECT_EQ(c.l2_assoc_text, "");

    const std::pair<uint32_t, const char*> codes[] = {{0, "L2 off"},
                                                      {1, "Direct mapped"},
                                                      {3, "Unknown associativity"},
                                                      {6, "8-way associative"},
                                                      {8, "16-way associative"},
                                                      {15, "Fully associative"}};
    for (auto [code, text] : codes) {
        FakeCpuid g;
        g.set(0x80000000u, 0x80000006u, 0, 0, 0);
        g.set(0x80000005u, 0, 0, 0x20010140u, 0);
        g.set(0x80000006u, 0, 0, 0x01000040u | (code << 12), 0);
        const auto d = decode(g, "AuthenticAMD");
        EXPECT_EQ(d.l2_assoc_text, text) << code;
        EXPECT_EQ(d.l1_data_assoc_text, "Direct mapped");
    }
}

TEST(MembenchCacheFallback, OtherVendorsGetTheGenericSizes) {
    for (const char* vendor : {"CyrixInstead", "GenuineIntelX", "GenuineInte", ""}) {
        FakeCpuid f = intel_with({0x2C});
        membench::CacheInfo info;
        EXPECT_FALSE(membench::detect_caches(vendor, f, info)) << vendor;
        EXPECT_EQ(info.l1_data_size, 32);
        EXPECT_EQ(info.l2_size, 128);
        EXPECT_EQ(info.l1_data_size_text, "");
        EXPECT_EQ(f.queries[2], 0);
    }
}

}  // namespace
