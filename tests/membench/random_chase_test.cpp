// The random chase: one cycle through every element, sizes from 16 KiB to four times the
// last-level cache, and figures that convert between nanoseconds and cycles at the clock.
#include <gtest/gtest.h>

#include <vector>

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
}

}  // namespace
