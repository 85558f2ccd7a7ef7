// The random chase: one cycle through every element, sizes from 16 KiB to four times the
// last-level cache, figures that convert between nanoseconds and cycles at the clock, the page
// size read back from the system and the spread that marks a figure unsteady.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "membench/memory_graph.h"
#include "membench/random_chase.h"

namespace {

using membench::ChaseElement;

TEST(RandomChase, EveryElementOncePerCycle) {
    for (std::size_t count : {2u, 3u, 7u, 256u, 4097u}) {
        for (std::uint64_t seed : {1ull, 42ull}) {
            std::vector<ChaseElement> e(count);
            membench::build_random_cycle(e.data(), count, seed);
            std::vector<int> visits(count, 0);
            ChaseElement* p = e.data();
            for (std::size_t k = 0; k < count; ++k) {
                ++visits[static_cast<std::size_t>(p - e.data())];
                p = p->next;
            }
            EXPECT_EQ(p, e.data()) << "count " << count << ": not back at the start";
            for (std::size_t i = 0; i < count; ++i)
                ASSERT_EQ(visits[i], 1) << "count " << count << " element " << i;
            // chase() follows the same links: a whole number of cycles ends where it began.
            EXPECT_EQ(membench::chase(e.data(), 3 * count), e.data());
            EXPECT_EQ(membench::chase(e.data(), 1), e[0].next);
        }
    }
}

TEST(RandomChase, SizesRunFrom16KiBToFourTimesTheLastLevel) {
    const auto s = membench::random_chase_sizes(32u << 20);
    ASSERT_EQ(s.size(), 14u);
    EXPECT_EQ(s.front(), 16u * 1024);
    EXPECT_EQ(s.back(), 128u << 20);
    EXPECT_EQ(membench::random_chase_sizes(0), std::vector<std::size_t>{16 * 1024});
    const auto odd = membench::random_chase_sizes(6u << 20);  // 24 MiB is no power of two
    EXPECT_EQ(odd.back(), 24u << 20);
    EXPECT_EQ(odd[odd.size() - 2], 16u << 20);
    EXPECT_GT(membench::last_level_cache_bytes(), 0u);
}

TEST(RandomChase, RowsConvertNanosecondsToCyclesAtTheClock) {
    const auto rows = membench::measure_random_latency({16 * 1024, 64 * 1024}, 2500.0);
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& r : rows) {
        EXPECT_GT(r.ns, 0.05);
        EXPECT_LT(r.ns, 1000.0);
        EXPECT_NEAR(r.cycles, r.ns * 2.5, 1e-9);
    }
    const nlohmann::json j = membench::random_latency_json(rows);
    EXPECT_EQ(j[1]["bytes"], 65536);
    EXPECT_DOUBLE_EQ(j[0]["cycles"].get<double>(), rows[0].cycles);
    EXPECT_GE(rows[0].page_bytes, 4096u) << "the chase's own buffer is in /proc/self/smaps";
}

TEST(RandomChase, PageSizeOfARangeFromSmaps) {
    // 4 MiB half in huge pages, then 1 MiB of small pages (a path with a colon in it).
    const std::string smaps =
        "7f0000000000-7f0000400000 rw-p 00000000 00:00 0 \nKernelPageSize:        4 kB\n"
        "Rss:                4096 kB\nAnonHugePages:      2048 kB\n"
        "7f0000400000-7f0000500000 rw-p 00000000 00:00 0     /tmp/a:b\n"
        "KernelPageSize:        4 kB\nRss:                 512 kB\nAnonHugePages:         0 kB\n";
    const struct {
        std::uintptr_t begin;
        std::size_t length, page;
    } rows[] = {
        {0x7f0000000000, 4096, 2u << 20},  // half the resident bytes in huge pages
        {0x7f0000400000, 65536, 4096},     // the second mapping only
        {0x7f00003ff000, 8192, 4096},      // across both: 2 of 4.5 MiB in huge pages
        {0x7f0000500000, 4096, 0},         // past the last mapping
    };
    for (const auto& r : rows)
        EXPECT_EQ(membench::page_size_in_smaps(smaps, r.begin, r.length), r.page)
            << std::hex << "range at " << r.begin << " + " << r.length;
}

TEST(RandomChase, SpreadOfTheRepeatsMarksUnsteadyFigures) {
    const struct {
        std::vector<double> ns;
        double percent;
    } rows[] = {{{5.0}, 0.0}, {{10.0, 10.5, 11.0}, 10.0}, {{11.5, 10.0, 10.2}, 15.0}};
    for (const auto& r : rows) {
        membench::RandomLatencyRow row;
        row.spread_percent = membench::spread_percent(r.ns);
        EXPECT_NEAR(row.spread_percent, r.percent, 1e-9) << "first pass " << r.ns[0];
        EXPECT_EQ(membench::unsteady(row), r.percent > 10.0) << "first pass " << r.ns[0];
    }
    // The dialog's table names the unsteady row and the page size.
    const std::string text = membench::random_latency_text(membench::random_latency_json(
        {{8u << 20, 30.0, 60.0, 250.0, 2u << 20}, {64u << 20, 90.0, 180.0, 4.0, 2u << 20}}));
    EXPECT_NE(text.find("60.0 cycles  unsteady: repeats spread 250%\n"), std::string::npos) << text;
    EXPECT_NE(text.find("180.0 cycles\nPage size 2048 KB"), std::string::npos) << text;
}

}  // namespace
