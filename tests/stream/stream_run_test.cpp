// The STREAM threads and the run through the headless host with small injected sizes: the report
// layout, the per-thread blocks, the rate table, the record, and the failure paths.
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

TEST(StreamThreads, CountIsClampedAndEveryThreadRunsItsBodyOnItsOwnArrays) {
    EXPECT_EQ(stream::stream_thread_count(0), 1);
    EXPECT_EQ(stream::stream_thread_count(3), 3);
    EXPECT_EQ(stream::stream_thread_count(40), 16);

    stream::StreamThreads th(40, 1000 + 3, 6);
    ASSERT_EQ(th.count(), 16);
    std::vector<std::atomic<int>> runs(16);
    ASSERT_TRUE(th.run_on_all([&](int t) {
        th.init(t);
        runs[static_cast<std::size_t>(t)]++;
    }));
    for (int t = 0; t < 16; ++t) {
        EXPECT_EQ(runs[static_cast<std::size_t>(t)].load(), 1) << t;
        ASSERT_TRUE(th.allocated(t));
        for (long i : {0L, 999L, 1002L}) {
            EXPECT_EQ(th.a(t)[i], 1.0);
            EXPECT_EQ(th.b(t)[i], 2.0);
            EXPECT_EQ(th.c(t)[i], 0.0);
        }
    }
    EXPECT_NE(th.a(0), th.a(1));
    ASSERT_TRUE(th.run_on_all([&](int t) { th.cleanup(t); }));
    EXPECT_FALSE(th.allocated(3));
}

TEST(StreamThreads, FirstEightThreadsEachGetAProcessorOfTheirOwnCoreTheRestAreUnpinned) {
    const std::vector<int> cores = app::one_processor_per_core();
    stream::StreamThreads th(10, 16, 6);
    std::vector<std::vector<int>> cpus(10);
    ASSERT_TRUE(th.run_on_all([&](int t) {
        cpu_set_t set;
        CPU_ZERO(&set);
        pthread_getaffinity_np(pthread_self(), sizeof(set), &set);
        for (int c = 0; c < CPU_SETSIZE; ++c)
            if (CPU_ISSET(c, &set)) cpus[static_cast<std::size_t>(t)].push_back(c);
    }));
    for (int t = 0; t < 10; ++t) {
        const auto& got = cpus[static_cast<std::size_t>(t)];
        if (t < 8 && t < static_cast<int>(cores.size())) {
            ASSERT_EQ(got.size(), 1u) << t;
            EXPECT_EQ(got[0], app::allowed_cpu(cores[static_cast<std::size_t>(t)])) << t;
        } else {
            EXPECT_EQ(static_cast<int>(got.size()), app::processor_count()) << t;
        }
    }
}

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

TEST_F(StreamRun, WithoutSse2BothColumnsReadMinusOneAndTheScoreIsZero) {
    app::processor_info().sse2 = 0;
    stream::StreamController c(small(2));
    c.auto_start = c.close_when_done = true;
    runner.run_modal(c);
    const auto l = lines();
    ASSERT_EQ(l.size(), 11u);
    EXPECT_EQ(l[9], "ISA not supported, skipping SSE2 tests...");
    EXPECT_EQ(l[10], kDashes + "\x1c_");
    for (const auto& row : c.rates()) EXPECT_EQ(row, (std::array<double, 3>{0.0, -1.0, -1.0}));
    EXPECT_FLOAT_EQ(c.stream_score_value(), 0.0f);
    EXPECT_EQ(c.record().status(), app::RunStatus::Completed);
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

TEST_F(StreamRun, MoreProcessorsThanSlotsRunSixteenThreads) {
    auto sizes = small(64);
    sizes.n = 600;
    stream::StreamController c(sizes);
    c.auto_start = c.close_when_done = true;
    runner.run_modal(c);
    EXPECT_EQ(count("# Threads: 16"), 1);
    EXPECT_EQ(count("Thread 15 Bandwidth:"), 2);
    EXPECT_EQ(c.record().figure("threads").get<int>(), 16);
}

}  // namespace
