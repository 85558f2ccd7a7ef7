// The memory run through the headless host with small injected sizes: automatic start, the
// nested progress box ended by timer 1000, every console line in its order and format, the
// run record, and the failure paths (no buffers, no timer, no detected caches).
#include "membench/memory_controller.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/format.h"
#include "app/headless_host.h"
#include "app/processor_info.h"
#include "support/console_capture.h"
#include "support/fake_cpuid.h"
#include "support/recording_sink.h"

namespace {

using namespace std::chrono_literals;
using testing_support::FakeCpuid;

membench::MemoryRunSizes small_sizes() {
    membench::MemoryRunSizes s;
    s.buffer_bytes = 256 * 1024;
    s.l1_repetitions = 3;
    s.l2_repetitions = 2;
    s.memory_repetitions = 2;
    s.memory_block = 128 * 1024;
    s.latency.rows = 2;
    s.latency.min_seconds = 1e-5;
    s.random_chase_max_bytes = 64 * 1024;
    return s;
}

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

    std::vector<std::string> lines() const { return console.lines(); }
    static bool contains(const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    }

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

TEST_F(MembenchRun, AutomaticRunLogsEveryLineInOrderAndClosesItself) {
    auto c = amd_controller(small_sizes());
    EXPECT_EQ(runner.run_modal(*c), app::kIdCancel);
    const auto l = lines();
    ASSERT_GT(l.size(), 60u);
    std::size_t i = 0;
    EXPECT_EQ(l[i++], "L1 : Testing over 8192 bytes" + kCursor);
    for (int slot = 0; slot < 10; ++slot, ++i)
        EXPECT_EQ(l[i].rfind(app::strprintf("L1 Method [%2d]:  ", slot), 0), 0u) << l[i];
    EXPECT_EQ(l[i - 1].substr(l[i - 1].size() - 7), " MB/s" + kCursor);
    EXPECT_EQ(l[i++], "L2 : Testing over 65536 bytes" + kCursor);
    for (int slot = 0; slot < 10; ++slot, ++i)
        EXPECT_EQ(l[i].rfind(app::strprintf("L2 Method [%2d]:  ", slot), 0), 0u) << l[i];
    EXPECT_EQ(l[i++], "Mem: Testing over 131072 bytes" + kCursor);
    for (int slot = 0; slot < 14; ++slot, ++i)
        EXPECT_EQ(l[i].rfind(app::strprintf("Mem Method [%2d]: ", slot), 0), 0u) << l[i];
    EXPECT_EQ(l[i - 1], "Mem Method [13]:       0.00 MB/s" + kCursor);
    EXPECT_EQ(l[i++], "Testing cache latency..." + kCursor);
    EXPECT_EQ(
        l[i++],
        "                4        8       16       32       64      128      256      512   ");
    EXPECT_EQ(l[i].rfind("    4096     ", 0), 0u) << l[i];
    i += 13;
    EXPECT_EQ(l[i - 1].rfind("       0        0", 0), 0u) << l[i - 1];  // row 13 not measured
    EXPECT_EQ(l[i++].rfind("L1  BW: ", 0), 0u);
    EXPECT_EQ(l[i++].rfind("L2  BW: ", 0), 0u);
    EXPECT_EQ(l[i++].rfind("Mem BW: ", 0), 0u);
    EXPECT_EQ(l[i].rfind("L1  Latency: ", 0), 0u);
    EXPECT_NE(l[i++].find(" ns / 32 byte stride"), std::string::npos);
    for (const char* label : {"L2  Latency: ", "Mem Latency: "})
        for (int stride : {4, 16, 64, 256, 512}) {
            EXPECT_EQ(l[i].rfind(label, 0), 0u) << l[i];
            EXPECT_NE(l[i++].find(app::strprintf(" ns / %d byte stride", stride)),
                      std::string::npos);
        }
    EXPECT_EQ(l[i - 1], "Mem Latency: 0 cycles / 0.00 ns / 512 byte stride");
    EXPECT_EQ(l[i++], "Finished testing latency." + kCursor);
    // The random chase's lines come after everything above: 16, 32 and 64 KB.
    for (int kb : {16, 32, 64}) {
        EXPECT_EQ(l[i].rfind(app::strprintf("Random access latency %7d KB: ", kb), 0), 0u) << l[i];
        EXPECT_NE(l[i++].find(" cycles"), std::string::npos);
    }
    EXPECT_EQ(i, l.size());
    EXPECT_TRUE(c->results_shown());
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(MembenchRun, RecordCarriesTablesCachesAndTheTwoResultFields) {
    app::processor_info().clock_rate_wide = 100000.0;  // small regions: keep cells above 0
    auto c = amd_controller(small_sizes());
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
    EXPECT_FLOAT_EQ(bw[2][0].get<float>() > 0 ? 1.0f : 0.0f, 1.0f);
    EXPECT_EQ(bw[0][12].get<float>(), 0.0f);
    const auto lat = r.figure("latency_table");
    ASSERT_EQ(lat.size(), 14u);
    ASSERT_EQ(lat[0].size(), 9u);
    EXPECT_EQ(lat[0][8].get<int>(), 512);
    EXPECT_EQ(lat[2][0].get<int>(), 8192);
    EXPECT_GT(lat[2][8].get<int>(), 0);
    EXPECT_EQ(r.figure("caches")["l2"]["size_kb"].get<int>(), 512);
    EXPECT_EQ(r.figure("caches")["l1_data"]["line_text"].get<std::string>(), "64 byte cacheline");
    EXPECT_EQ(c->results().memory_best, c->memory_bandwidth());
    EXPECT_EQ(c->l2_row(), 7);
}

TEST_F(MembenchRun, WithoutSseTheMissingMethodsAreReportedNotRun) {
    app::processor_info().sse = 0;
    app::processor_info().sse2 = 0;
    auto c = amd_controller(small_sizes());
    runner.run_modal(*c);
    const auto l = lines();
    EXPECT_TRUE(contains(l, "L1 Method [ 4]:  ISA not supported." + kCursor));
    EXPECT_TRUE(contains(l, "L2 Method [ 9]:  ISA not supported." + kCursor));
    EXPECT_TRUE(contains(l, "Mem Method [ 7]:      -1.00 MB/s" + kCursor));
    EXPECT_FALSE(contains(l, "L1 Method [10]:  ISA not supported." + kCursor));
    EXPECT_EQ(c->results().bandwidth[0][5], -1.0f);
}

TEST_F(MembenchRun, BuffersThatCannotBeAllocatedFailInOrder) {
    auto first = amd_controller(small_sizes());
    runner.run_modal(*first);
    const membench::MemoryResults before = membench::memory_results();
    console.written.clear();

    auto sizes = small_sizes();
    sizes.allocate = [](std::size_t) -> void* { return nullptr; };
    auto c = amd_controller(sizes);
    EXPECT_EQ(runner.run_modal(*c), app::kIdCancel);  // the done event still ends the box
    EXPECT_EQ(c->record().status(), app::RunStatus::Failed);
    EXPECT_EQ(c->record().error().rfind("Error", 0), 0u);
    const auto l = lines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0], c->record().error() + kCursor);
    const membench::MemoryResults after = membench::memory_results();
    EXPECT_EQ(after.bandwidth, before.bandwidth);
    EXPECT_EQ(after.latency, before.latency);
    EXPECT_EQ(c->memory_bandwidth(), 0.0f);
}

TEST_F(MembenchRun, UndetectedFirstLevelCacheTestsTheGenericRegions) {
    FakeCpuid intel;
    intel.set(0, 2, 0, 0, 0);
    intel.set(2, 0x00000001u, 0, 0, 0);  // no descriptor at all
    membench::MemBenchController c(membench::CacheDetection{&intel, "GenuineIntel"}, small_sizes());
    c.auto_start = c.close_when_done = true;
    EXPECT_EQ(c.caches().l1_data_size, 0);
    runner.run_modal(c);
    const auto l = lines();
    ASSERT_GE(l.size(), 2u);
    EXPECT_EQ(l[0].rfind("Warning: cache sizes not detected", 0), 0u) << l[0];
    EXPECT_EQ(l[1], "L1 : Testing over 8192 bytes" + kCursor);
    EXPECT_TRUE(contains(l, "L2 : Testing over 65536 bytes" + kCursor));
    EXPECT_EQ(c.record().status(), app::RunStatus::Completed);
}

TEST_F(MembenchRun, UnknownVendorShowsTheDetectionProblemBox) {
    FakeCpuid none;
    membench::MemBenchController c(membench::CacheDetection{&none, "CentaurHauls"}, small_sizes());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0],
              "CPU Cache detection problem: Unable to detect your CPU cache type. Memory tests "
              "will default to generic tests.");
    EXPECT_TRUE(c.cache_detection_failed());
    EXPECT_EQ(c.caches().l2_size, 128);
    EXPECT_EQ(c.l2_row(), 5);
}

TEST_F(MembenchRun, TimerThatCannotStartEndsTheRunInsteadOfHanging) {
    runner.failing_timers = {membench::kCompletionTimer};
    auto c = amd_controller(small_sizes());
    EXPECT_EQ(runner.run_modal(*c), app::kIdCancel);
    EXPECT_EQ(c->record().status(), app::RunStatus::Failed);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0], "Could not create timer!: Timer Error");
}

// The menu path: no automatic start; Analyze runs the analysis and the dialog stays open.
class AnalyzeOnce : public membench::MemBenchController {
  public:
    using MemBenchController::MemBenchController;
    void on_paint() override {
        MemBenchController::on_paint();
        if (pressed_) return;
        pressed_ = true;
        on_command(membench::kAnalyzeCommand);
        status_after_analyze = record().status();
        host().end_dialog(app::kIdOk);
    }
    app::RunStatus status_after_analyze = app::RunStatus::NotRun;

  private:
    bool pressed_ = false;
};

TEST_F(MembenchRun, AnalyzeWithoutAutostartLeavesTheDialogOpen) {
    AnalyzeOnce c(membench::CacheDetection{&amd, "AuthenticAMD"}, small_sizes());
    c.close_when_done = true;  // ignored: the run was not started automatically
    EXPECT_EQ(runner.run_modal(c), app::kIdOk);
    EXPECT_EQ(c.status_after_analyze, app::RunStatus::Completed);
    EXPECT_TRUE(c.results_shown());
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
