// The matrix multiply benchmark run: the run logic of the SGEMM/DGEMM dialog. A worker times
// the multiply over 24 square sizes and once more at the largest for the peak; timer 1000 sees
// the end and leaves the peak MFLOPS as the result. One controller serves both precisions.
#pragma once

#include <array>
#include <string>

#include "app/benchmark_controller.h"
#include "app/event.h"
#include "app/thread.h"

namespace blas {

// Method codes of the dialog's radio buttons. Only "Compiler" computes.
enum MatrixMethod : int {
    kMethodSse = 1,         // single: "SSE"
    kMethod3dNow = 2,       // single: "3dNow!"
    kMethodSse2Vector = 3,  // double: "SSE2 Vector"
    kMethodSse2Scalar = 4,  // double: "SSE2 Scalar"
    kMethodX87Asm = 5,      // "x87 ASM"
    kMethodCompiler = 6,    // "Compiler"
    kMethodMkl = 15,        // "Intel(R) MKL 7.2"
    kMethodAcml = 16,       // "AMD(R) ACML 2.5"
};

// Dialog control ids.
inline constexpr int kIdAnalyze = 1;
inline constexpr int kIdInstructionTrace = 3;
inline constexpr int kIdRadioCompiler = 1072;
inline constexpr int kIdRadioX87 = 1073;
inline constexpr int kIdRadioMkl = 1074;
inline constexpr int kIdRadioSse = 1076;
inline constexpr int kIdRadio3dNow = 1077;
inline constexpr int kIdRadioAcml = 1078;
inline constexpr int kBlasTimer = 1000;

// The method a command-line kernel name asks for: "COMPILER" 6, "MKL" 15, "ACML" 16 (case
// ignored), anything else 6.
int method_from_kernel_name(const std::string& name);

// The tables the worker fills and the dialog draws: MFLOPS per size index, and six method
// slots by size index (the peak test goes to slot 2, index 0). Zeroed at the start of a run.
struct MatrixTables {
    int method = 0;
    int single_precision = 0;
    int size_count = 0;
    std::array<double, 100> size_mflops{};
    std::array<std::array<double, 100>, 6> method_results{};

    // The largest of 0 and the six slots' index-0 entries.
    double peak() const;
};

// Signalled by the worker at the end of a run, and after every size (the graph repaints).
app::Event& blas_finished_event();
app::Event& blas_progress_event();

// Sizes of a run. The defaults are the benchmark's; tests inject smaller ones.
struct MatrixRunSizes {
    int size_count = 24;
    int single_step = 64;  // 64, 128, ..., 1536
    int double_step = 60;  // 60, 120, ..., 1440
    int single_peak = 1536;
    int double_peak = 1530;
    std::string kernel = "C";  // the dispatcher's kernel name
};

class MatrixController : public app::BenchmarkController {
  public:
    enum class Precision { Single, Double };
    explicit MatrixController(Precision precision = Precision::Double, MatrixRunSizes sizes = {});
    ~MatrixController() override;

    // Dialog run fields (the suite and the menu drivers set them before the modal run).
    int single_precision = 0;
    int double_precision = 1;
    int method = 0;

    std::string title() const override;
    void on_timer(int id) override;
    void on_command(int id) override;
    void on_cancel() override;
    int run_command_id() const override { return kIdAnalyze; }
    std::string run_command_text() const override { return "Analyze"; }

    bool running() const { return running_ != 0; }
    bool cancel_enabled() const { return !running(); }
    bool run_started() const { return run_started_; }
    float result() const { return result_; }
    // A copy of the tables for painting.
    MatrixTables tables() const;

  protected:
    void paint_dialog(bool first) override;
    void start_automatic_run() override;

  private:
    void analyze();
    void worker();
    void finish();

    MatrixRunSizes sizes_;
    int running_ = 0;
    bool run_started_ = false;
    float result_ = 0.0f;
    app::Thread thread_;
};

}  // namespace blas
