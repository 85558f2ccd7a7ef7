// The STREAM run through the headless host with small injected sizes: the report layout, the
// per-thread blocks, the rate, and arrays that cannot be allocated.
#include "stream/stream_controller.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/format.h"
#include "app/headless_host.h"
#include "app/processor_info.h"
#include "app/thread.h"
#include "support/console_capture.h"

namespace {

using namespace std::chrono_literals;

stream::StreamSizes small(int threads) {
    stream::StreamSizes s;
    s.n = 512 * 8 + 21;
    s.iterations = 6;
    s.threads = threads;
    return s;
}

class StreamRun : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = app::processor_info();
        app::processor_info().sse2 = 1;
        runner.time_limit = 120s;
    }
    void TearDown() override { app::processor_info() = saved; }
    std::vector<std::string> lines() const { return console.lines(); }
    int count(const std::string& prefix) const {
        const auto l = lines();
        return static_cast<int>(std::count_if(
            l.begin(), l.end(), [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
    }

    testing_support::ConsoleCapture console;
    app::ProcessorInfo saved;
    app::HeadlessRunner runner;
};

const std::string kDashes(61, '-');

TEST_F(StreamRun, TwoThreadsReportBothPassesWithPerThreadBlocks) {
    stream::StreamController c(small(2));
    c.auto_start = c.close_when_done = true;
    EXPECT_EQ(runner.run_modal(c), app::kIdCancel);
    const auto l = lines();
    const std::vector<std::string> header = {kDashes,
                                             "This system uses 8 bytes per DOUBLE PRECISION word.",
                                             kDashes,
                                             "Array size = 4117",
                                             "Total memory required = 0.1 MB.",
                                             "Each test is run 6 times, but only",
                                             "the *best* time for each is used.",
                                             kDashes,
                                             "# Threads: 2",
                                             "SSE2 STREAM"};
    ASSERT_GT(l.size(), header.size());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), l.begin()));
    EXPECT_EQ(l[10].rfind("Total Execution Time: ", 0), 0u);
    EXPECT_EQ(l[11], "Function      Rate (MB/s)   RMS time     Min time     Max time");
    EXPECT_EQ(l[12].rfind("Copy:      ", 0), 0u);
    EXPECT_EQ(l[15].rfind("Triad:     ", 0), 0u);
    EXPECT_EQ(l[16], "Thread 0 Bandwidth:");
    EXPECT_EQ(l[21], "Thread 1 Bandwidth:");
    EXPECT_EQ(l[26], kDashes + "\x1c_");
    EXPECT_EQ(l[27], "SSE2 BLOCK STREAM");
    EXPECT_EQ(l.back(), kDashes + "\x1c_");
    EXPECT_EQ(l.size(), 10u + 17u + 1u + 17u);

    EXPECT_EQ(c.threads(), 2);
    for (const auto& row : c.rates()) {
        EXPECT_EQ(row[0], 0.0);  // x87 is never run
        EXPECT_GT(row[1], 0.0);
        EXPECT_GT(row[2], 0.0);
    }
    const app::RunRecord& r = c.record();
    EXPECT_EQ(r.status(), app::RunStatus::Completed);
    EXPECT_EQ(r.headline_name(), "score");
    EXPECT_FLOAT_EQ(static_cast<float>(r.headline()), c.stream_score_value());
    EXPECT_FLOAT_EQ(c.stream_score_value(), stream::stream_score(c.rates()));
    EXPECT_EQ(r.figure("threads").get<int>(), 2);
    ASSERT_EQ(r.figure("rates").size(), 4u);
    EXPECT_EQ(r.figure("rates")[3][1].get<double>(), c.rates()[3][1]);
}

TEST_F(StreamRun, OneThreadHasNoPerThreadBlocksAndRateIsBytesOverMinimum) {
    stream::StreamController c(small(1));
    c.auto_start = c.close_when_done = true;
    runner.run_modal(c);
    EXPECT_EQ(count("Thread "), 0);
    EXPECT_EQ(count("# Threads: 1"), 1);
    // The printed rate is the stored one; the times are ordered min <= RMS <= max.
    const auto l = lines();
    double rate = 0, rms = 0, mn = 0, mx = 0;
    ASSERT_EQ(std::sscanf(l[12].c_str(), "Copy: %lf %lf %lf %lf", &rate, &rms, &mn, &mx), 4);
    EXPECT_EQ(l[12].substr(11, 11), app::strprintf("%11.4f", c.rates()[0][1]));
    EXPECT_LE(mn, rms);
    EXPECT_LE(rms, mx);
}

TEST_F(StreamRun, ArraysThatCannotBeAllocatedFailInOrder) {
    auto sizes = small(2);
    sizes.allocate = [](std::size_t) -> void* { return nullptr; };
    stream::StreamController c(sizes);
    c.auto_start = c.close_when_done = true;
    EXPECT_EQ(runner.run_modal(c), app::kIdCancel);  // the done event still ends the box
    EXPECT_EQ(c.record().status(), app::RunStatus::Failed);
    EXPECT_EQ(c.record().error().rfind("Error", 0), 0u);
    EXPECT_EQ(lines().back(), c.record().error() + "\x1c_");
    for (const auto& row : c.rates()) EXPECT_EQ(row, (std::array<double, 3>{}));
    EXPECT_EQ(count("SSE2 STREAM"), 0);
}

}  // namespace
