// The STREAM run through the headless host with small injected sizes: one thread's report, the
// rate from the fastest pass, and arrays that cannot be allocated.
#include "stream/stream_controller.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/format.h"
#include "app/headless_host.h"
#include "app/isa.h"
#include "app/processor_info.h"
#include "app/thread.h"
#include "stream/stream_kernels.h"
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
    // The record names the kernel rows that ran under the SSE2 headings: the widest allowed.
    const app::IsaFeatures isa = app::chosen_isa() | app::kIsaSse2;
    EXPECT_EQ(c.record().figure("kernels"),
              nlohmann::json::array({app::pick_kernel(stream::kPrefetchForms, isa).name,
                                     app::pick_kernel(stream::kBlockForms, isa).name}));
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
