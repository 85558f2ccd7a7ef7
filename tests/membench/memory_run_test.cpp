// The memory run through the headless host with small injected sizes: the run record, and
// buffers that cannot be allocated.
#include "membench/memory_controller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/console.h"
#include "app/headless_host.h"
#include "app/processor_info.h"
#include "support/console_capture.h"
#include "support/fake_cpuid.h"
#include "support/recording_sink.h"
#include "support/small_memory_run.h"

namespace {

using namespace std::chrono_literals;
using testing_support::FakeCpuid;

class MembenchRun : public ::testing::Test {
  protected:
    void SetUp() override {
        app::ProcessorInfo& p = app::processor_info();
        saved = p;
        p.sse = p.sse2 = 1;
        p.clock_rate_wide = 2000.0;
        testing_support::record_this_amd(amd);
        runner.time_limit = 120s;
    }
    void TearDown() override { app::processor_info() = saved; }

    std::unique_ptr<membench::MemBenchController> amd_controller(membench::MemoryRunSizes s) {
        auto c = std::make_unique<membench::MemBenchController>(
            membench::CacheDetection{&amd, "AuthenticAMD"}, s);
        c->auto_start = true;
        c->close_when_done = true;
        return c;
    }

    testing_support::ConsoleCapture console;
    testing_support::RecordingSink sink;
    FakeCpuid amd;
    app::ProcessorInfo saved;
    app::HeadlessRunner runner;
};

const std::string kCursor = "\x1c_";

TEST_F(MembenchRun, RecordCarriesTablesCachesAndTheTwoResultFields) {
    app::processor_info().clock_rate_wide = 100000.0;  // small regions: keep cells above 0
    auto c = amd_controller(testing_support::small_memory_run());
    runner.run_modal(*c);
    const app::RunRecord& r = c->record();
    EXPECT_EQ(r.status(), app::RunStatus::Completed);
    EXPECT_EQ(r.headline_name(), "bandwidth_mbs");
    EXPECT_GT(c->memory_bandwidth(), 0.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(r.headline()), c->memory_bandwidth());
    EXPECT_FLOAT_EQ(r.figure("latency_ns").get<float>(), c->memory_latency());
    const auto bw = r.figure("bandwidth_table");
    ASSERT_EQ(bw.size(), 3u);
    ASSERT_EQ(bw[2].size(), 14u);
    EXPECT_GT(bw[2][0].get<float>(), 0.0f);
    EXPECT_EQ(bw[0][12].get<float>(), 0.0f);
    const auto lat = r.figure("latency_table");
    ASSERT_EQ(lat.size(), 14u);
    ASSERT_EQ(lat[0].size(), 9u);
    EXPECT_GT(lat[2][8].get<int>(), 0);
    EXPECT_EQ(r.figure("caches")["l2"]["size_kb"].get<int>(), 512);
    EXPECT_EQ(r.figure("caches")["l1_data"]["line_text"].get<std::string>(), "64 byte cacheline");
}

TEST_F(MembenchRun, BuffersThatCannotBeAllocatedFailInOrder) {
    auto first = amd_controller(testing_support::small_memory_run());
    runner.run_modal(*first);
    const membench::MemoryResults before = membench::memory_results();
    console.written.clear();

    auto sizes = testing_support::small_memory_run();
    sizes.allocate = [](std::size_t) -> void* { return nullptr; };
    auto c = amd_controller(sizes);
    EXPECT_EQ(runner.run_modal(*c), app::kIdCancel);  // the done event still ends the box
    EXPECT_EQ(c->record().status(), app::RunStatus::Failed);
    EXPECT_EQ(c->record().error().rfind("Error", 0), 0u);
    const auto l = console.lines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0], c->record().error() + kCursor);
    const membench::MemoryResults after = membench::memory_results();
    EXPECT_EQ(after.bandwidth, before.bandwidth);
    EXPECT_EQ(after.latency, before.latency);
    EXPECT_EQ(c->memory_bandwidth(), 0.0f);
}

TEST(MembenchRegions, SecondLevelBlockAndLatencyRow) {
    EXPECT_EQ(membench::l2_block_kb(64, 1024) * 1024, 131072.0f);
    EXPECT_EQ(membench::l2_block_kb(32, 32) * 1024, 49152.0f);
    EXPECT_EQ(membench::l2_block_kb(32, 16), 48.0f);
    EXPECT_EQ(membench::l2_latency_row(128), 5);
    EXPECT_EQ(membench::l2_latency_row(256), 6);
    EXPECT_EQ(membench::l2_latency_row(512), 7);
    EXPECT_EQ(membench::l2_latency_row(1024), 6);
    EXPECT_EQ(membench::l2_latency_row(0), 6);
}

}  // namespace
