// The matrix multiply run through the headless host, with small sizes injected: its console
// lines, the record it leaves, Cancel and Analyze while running, the unattended method choice,
// and the runs that cannot complete (bad kernel name, no memory, no timer).
#include <gtest/gtest.h>

#include <cstring>

#include <string>

#include "app/console.h"
#include "app/headless_host.h"
#include "app/run_registry.h"
#include "blas/aligned_block.h"
#include "blas/isa_peak.h"
#include "blas/matrix_run.h"
#include "support/console_capture.h"

void register_blas_runs(app::RunRegistry& registry);

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

TEST_F(MatrixRunTest, TheRecordCarriesTheIsaPeakOrNullWhenUnknown) {
    const app::ProcessorInfo saved = app::processor_info();
    app::ProcessorInfo& info = app::processor_info();
    std::memcpy(info.vendor, "GenuineIntel", 12);
    info.sse2 = info.avx = info.avx2 = info.fma = 1;
    info.family = 6;
    info.model = 0x3c;
    info.clock_rate_wide = 1000.0;  // 16 DP FLOP per cycle: 16000 MFLOPS
    MatrixController dgemm(Precision::Double, small_sizes());
    run_unattended(dgemm);
    auto figures = dgemm.record().figures();
    EXPECT_DOUBLE_EQ(figures["isa_peak_mflops"].get<double>(), 16000.0);
    EXPECT_DOUBLE_EQ(figures["efficiency_percent"].get<double>(),
                     figures["peak_mflops"].get<double>() / 160.0);

    std::memcpy(info.vendor, "CentaurHauls", 12);
    MatrixController unknown(Precision::Double, small_sizes());
    run_unattended(unknown);
    figures = unknown.record().figures();
    app::processor_info() = saved;
    EXPECT_TRUE(figures["isa_peak_mflops"].is_null());
    EXPECT_TRUE(figures["efficiency_percent"].is_null());
}

TEST_F(MatrixRunTest, DefaultSizesRunFromTheFirstToTheLastSize) {
    // The kernel names that compute nothing still go through every size: the size lines of
    // the real benchmark, without its hour of arithmetic.
    blas::MatrixRunSizes single;
    single.kernel = "SSE";
    MatrixController srun(Precision::Single, single);
    run_unattended(srun);
    std::string text = console_plain();
    EXPECT_EQ(text.find("64x64 matrix - 16384 bytes\r\n"), 0u);
    EXPECT_NE(text.find("1536x1536 matrix - 9437184 bytes\r\n"), std::string::npos);
    EXPECT_EQ(count_of(text, " matrix - "), 24);

    app::console().reset();
    blas::MatrixRunSizes dbl;
    dbl.kernel = "X87";
    MatrixController drun(Precision::Double, dbl);
    run_unattended(drun);
    text = console_plain();
    EXPECT_EQ(text.find("60x60 matrix - 28800 bytes\r\n"), 0u);
    EXPECT_NE(text.find("1440x1440 matrix - 16588800 bytes\r\n"), std::string::npos);
    EXPECT_EQ(count_of(text, " matrix - "), 24);
    EXPECT_EQ(drun.record().figure("sizes").back(), 1440);
}

TEST_F(MatrixRunTest, SingleAndDoubleRunsKeepSeparateTables) {
    MatrixController single(Precision::Single, small_sizes());
    run_unattended(single);
    MatrixController dbl(Precision::Double, small_sizes());
    run_unattended(dbl);
    EXPECT_EQ(single.record().figure("sizes"), nlohmann::json({64, 128, 192}));
    EXPECT_EQ(single.record().figure("precision"), "single");
    EXPECT_EQ(dbl.record().figure("sizes"), nlohmann::json({60, 120, 180}));
    EXPECT_EQ(dbl.record().figure("precision"), "double");
    EXPECT_NE(single.record().figure("mflops"), dbl.record().figure("mflops"));
}

// Presses Cancel and Analyze on the first tick of the running dialog.
class ImpatientUser : public MatrixController {
  public:
    using MatrixController::MatrixController;
    bool pressed = false;
    void on_timer(int id) override {
        if (running() && !pressed) {
            pressed = true;
            on_cancel();
            on_command(blas::kIdAnalyze);
        }
        MatrixController::on_timer(id);
    }
};

TEST_F(MatrixRunTest, CancelAndAnalyzeAreIgnoredWhileRunning) {
    ImpatientUser run(Precision::Double, small_sizes());
    run_unattended(run);
    EXPECT_TRUE(run.pressed);
    EXPECT_EQ(run.record().status(), app::RunStatus::Completed);
    const std::string text = console_plain();
    EXPECT_EQ(count_of(text, "Testing peak scores..."), 1);
    EXPECT_EQ(count_of(text, "Benchmark complete."), 1);
}

TEST_F(MatrixRunTest, UnattendedVendorLibraryNamesRunTheCompilerMethod) {
    EXPECT_EQ(blas::method_from_kernel_name("mkl"), blas::kMethodMkl);
    EXPECT_EQ(blas::method_from_kernel_name("ACML"), blas::kMethodAcml);
    EXPECT_EQ(blas::method_from_kernel_name("Compiler"), blas::kMethodCompiler);
    EXPECT_EQ(blas::method_from_kernel_name("SSE2S"), blas::kMethodCompiler);

    MatrixController run(Precision::Single, small_sizes());
    run.method = blas::kMethodMkl;
    run_unattended(run);
    EXPECT_EQ(run.method, blas::kMethodCompiler);
    EXPECT_GT(run.record().figure("peak_mflops").get<double>(), 0.0);
}

TEST_F(MatrixRunTest, RegistryEntriesPrepareTheDialogAsTheSuiteAsks) {
    app::RunRegistry registry;
    register_blas_runs(registry);
    app::RunRequest request;
    request.kernel = "ACML";
    auto dgemm = registry.find(5)->make(request);
    auto* d = dynamic_cast<MatrixController*>(dgemm.get());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->double_precision, 1);
    EXPECT_EQ(d->single_precision, 0);
    EXPECT_EQ(d->method, blas::kMethodAcml);
    EXPECT_TRUE(d->auto_start);
    EXPECT_TRUE(d->close_when_done);
    auto sgemm = registry.find(6)->make(app::RunRequest{false, false, "", false, ""});
    auto* s = dynamic_cast<MatrixController*>(sgemm.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->single_precision, 1);
    EXPECT_EQ(s->auto_start, 0);
}

TEST_F(MatrixRunTest, AMenuOpenedDialogWaitsForAnalyze) {
    MatrixController run(Precision::Double, small_sizes());
    app::HeadlessRunner runner;
    runner.time_limit = std::chrono::milliseconds(50);
    EXPECT_EQ(runner.run_modal(run), app::HeadlessRunner::kRunTimedOut);
    EXPECT_EQ(run.method, blas::kMethodCompiler);
    EXPECT_EQ(run.record().status(), app::RunStatus::NotRun);
    EXPECT_EQ(app::console().text(), "");
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

TEST_F(MatrixRunTest, ATimerThatCannotStartFailsTheRunAndClosesTheDialog) {
    MatrixController run(Precision::Single, small_sizes());
    run.auto_start = 1;
    run.close_when_done = 1;
    app::HeadlessRunner runner;
    runner.failing_timers = {blas::kBlasTimer};
    runner.time_limit = std::chrono::seconds(10);
    EXPECT_EQ(runner.run_modal(run), app::kIdCancel);
    EXPECT_EQ(run.record().status(), app::RunStatus::Failed);
    EXPECT_FALSE(run.running());
}

}  // namespace
