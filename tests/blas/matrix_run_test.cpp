// The matrix multiply run through the headless host, with small sizes injected: its console
// lines, the record it leaves, and the runs that cannot complete (bad kernel name, no memory).
#include <gtest/gtest.h>

#include <string>

#include "app/console.h"
#include "app/headless_host.h"
#include "blas/aligned_block.h"
#include "blas/isa_peak.h"
#include "blas/matrix_run.h"
#include "support/console_capture.h"

namespace {

using testing_support::console_plain;
using testing_support::count_of;

using blas::MatrixController;
using Precision = MatrixController::Precision;

blas::MatrixRunSizes small_sizes() {
    blas::MatrixRunSizes s;
    s.size_count = 3;
    s.single_peak = 192;
    s.double_peak = 180;
    return s;
}

class MatrixRunTest : public ::testing::Test {
  protected:
    void SetUp() override { app::console().reset(); }
    void TearDown() override { blas::set_allocation_refusal(nullptr); }

    // An unattended run (the suite's way): automatic start, close when done.
    int run_unattended(MatrixController& run) {
        run.auto_start = 1;
        run.close_when_done = 1;
        app::HeadlessRunner runner;
        runner.time_limit = std::chrono::seconds(120);
        return runner.run_modal(run);
    }
};

TEST_F(MatrixRunTest, SingleRunLogsEveryLineAndRecordsItsTable) {
    MatrixController run(Precision::Single, small_sizes());
    EXPECT_EQ(run_unattended(run), app::kIdCancel);
    const std::string text = console_plain();
    const std::string expected_order[] = {"64x64 matrix - 16384 bytes\r\n",
                                          "MFLOPS: ",
                                          "128x128 matrix - 65536 bytes\r\n",
                                          "192x192 matrix - 147456 bytes\r\n",
                                          "Testing peak scores...\r\n",
                                          "Test complete.\r\n",
                                          "Compiled: ",
                                          "\r\nPeak MFLOPS: ",
                                          "\r\nFLOPS/cycle: ",
                                          "\r\n\r\nBenchmark complete.\r\n"};
    std::size_t at = 0;
    for (const std::string& line : expected_order) {
        const auto found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << text;
        at = found + line.size();
    }
    EXPECT_EQ(count_of(text, "MFLOPS: "), 4);  // three sizes and the peak line
    // Only the newest line keeps its cursor marker.
    const std::string raw = app::console().text();
    EXPECT_EQ(raw.substr(raw.size() - 25), "\r\nBenchmark complete.\x1c_\r\n");

    EXPECT_EQ(run.record().status(), app::RunStatus::Completed);
    const auto figures = run.record().figures();
    EXPECT_EQ(figures["sizes"], nlohmann::json({64, 128, 192}));
    ASSERT_EQ(figures["mflops"].size(), 3u);
    for (double m : figures["mflops"]) EXPECT_GT(m, 0.0);
    const double peak = figures["peak_mflops"];
    EXPECT_GT(peak, 0.0);
    EXPECT_DOUBLE_EQ(run.record().headline(), peak);
    EXPECT_FLOAT_EQ(run.result(), static_cast<float>(peak));
    EXPECT_EQ(run.record().progress().range, 3);
    EXPECT_FALSE(run.running());

    // The ISA peak of this processor in single precision, and the efficiency against it.
    const double isa_peak = blas::isa_peak_mflops(app::processor_info(), true);
    if (isa_peak > 0.0) {
        EXPECT_DOUBLE_EQ(figures["isa_peak_mflops"].get<double>(), isa_peak);
        EXPECT_DOUBLE_EQ(figures["efficiency_percent"].get<double>(), peak / isa_peak * 100.0);
    } else {
        EXPECT_TRUE(figures["isa_peak_mflops"].is_null());
        EXPECT_TRUE(figures["efficiency_percent"].is_null());
    }
}

TEST_F(MatrixRunTest, AnInvalidKernelNameFailsTheRunInsteadOfEndingTheProgram) {
    blas::MatrixRunSizes sizes = small_sizes();
    sizes.kernel = "FOO";
    MatrixController run(Precision::Single, sizes);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(run_unattended(run), app::kIdCancel);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("You did not specify a valid Kernel Implementation from the following "
                       "list:\n    C, 3DNOW, or SSE - Program execution halted\n"),
              std::string::npos);
    EXPECT_EQ(run.record().status(), app::RunStatus::Failed);
    EXPECT_NE(console_plain().find(
                  "Error: SGEMM 64x64 matrix multiply failed: invalid kernel implementation."),
              std::string::npos);
    EXPECT_EQ(console_plain().find("Benchmark complete."), std::string::npos);
    EXPECT_FALSE(run.running());
}

TEST_F(MatrixRunTest, MatricesThatCannotBeAllocatedEndTheRunInOrder) {
    // The first size fits (its largest block is 67 KB), the second does not (182 KB).
    blas::set_allocation_refusal([](std::size_t bytes) { return bytes > 150'000; });
    MatrixController run(Precision::Double, small_sizes());
    EXPECT_EQ(run_unattended(run), app::kIdCancel);
    EXPECT_EQ(run.record().status(), app::RunStatus::Failed);
    EXPECT_NE(run.record().error().find("out of memory"), std::string::npos);
    const std::string text = console_plain();
    EXPECT_NE(text.find("Error: DGEMM 120x120 matrix multiply failed: out of memory.\r\n"),
              std::string::npos);
    EXPECT_EQ(count_of(text, "MFLOPS: "), 1);
    EXPECT_GT(run.record().figure("mflops")[0].get<double>(), 0.0);
    EXPECT_FALSE(run.running());
}

}  // namespace
