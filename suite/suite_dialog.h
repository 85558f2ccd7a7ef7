// The run logic of the suite dialog (the window is ui::CSuiteDlg): runs the selected benchmarks one
// after another through the modal runner (memory, STREAM, molecular dynamics, Orbitra, cipher,
// BLAS, always in that order), reads each run's record and turns the headline figures into
// sub-scores. The window (or the headless host) only paints PanelState and forwards clicks.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/benchmark_controller.h"
#include "app/run_registry.h"
#include "suite/profile.h"
#include "suite/scores.h"
#include "suite/selection.h"

namespace suite {

class ActiveRun;

// Controls of dialog resource 150 (the check boxes' ids are in the benchmark table).
inline constexpr int kIdRunBenchmarks = 1092;
inline constexpr int kIdProfileList = 1074;

inline constexpr int kAutoStartTimer = 500;
inline constexpr int kAutoStartDelayMs = 100;
inline constexpr std::size_t kSuiteQueueCapacity = 100;

inline constexpr const char* kSuiteTitle = "Lumetra 2.0 Benchmark Suite";

// The sub-scores in the order of the table's score groups; kNotMeasured until measured.
struct SubScores {
    std::array<float, app::kScoreGroupCount> value;
    SubScores() { value.fill(kNotMeasured); }
    float& of(std::string_view key) { return value[app::index_of_score(key)]; }
    float of(std::string_view key) const { return value[app::index_of_score(key)]; }
};

// One step of a suite run: which run, what it left and whether it produced its figure.
struct StepOutcome {
    std::string key;   // results-file section: memory, stream, md, orbitra, cipher, sgemm, dgemm
    std::string name;  // display name ("Molecular Dynamics", ...)
    int code = 0;
    bool ran = false;       // a controller ran (false: skipped or not available)
    bool ok = false;        // completed with a usable figure
    std::string error;      // why not ok
    app::RunRecord record;  // the run's record when it ran
};

// What the automation driver hands the suite (empty in a manual run).
struct SuiteInputs {
    std::vector<int> queue;  // at most kSuiteQueueCapacity codes
    std::string sgemm_kernel;
    std::string dgemm_kernel;
    std::string md_deck;  // base names, no extension, or the name as typed when not found
    std::string orbitra_deck;
    bool md_deck_typed = false;  // the user named the deck
    bool orbitra_deck_typed = false;
    std::string md_deck_file;  // the file the user named (app::RunRequest::deck_file)
    std::string orbitra_deck_file;
    bool automatic_run_requested = false;
    bool close_when_finished = false;
};

// What the window paints.
struct PanelState {
    Selections selections;  // the six check boxes and the precisions
    SubScores scores;
    std::string cancel_text = "Cancel";
    std::vector<std::string> profile_names;  // the drop-down list, filled on the first paint
    int selected_profile = 0;
    Profile profile;  // the selected profile, read on every paint
    bool first_paint_done = false;
    bool running = false;  // a suite run is in progress (buttons disabled)
};

class SuiteController : public app::BenchmarkController {
  public:
    explicit SuiteController(const app::RunRegistry& registry);

    // --- the dialog ---
    std::string title() const override { return kSuiteTitle; }
    void on_timer(int id) override;
    // The check boxes (toggle) and "Run Benchmarks".
    void on_command(int id) override;
    int run_command_id() const override { return kIdRunBenchmarks; }
    std::string run_command_text() const override { return "Run Benchmarks"; }
    std::string status_text() const override;

    // The drop-down list's selection; repaints.
    void select_profile(int index);

    // --- inputs ---
    SuiteInputs& inputs() { return inputs_; }
    const SuiteInputs& inputs() const { return inputs_; }
    // The CLI has no window to keep open: end the dialog after an automatic run even when
    // close when finished is 0.
    void set_end_when_run_over(bool on) { end_when_run_over_ = on; }
    void set_active_run(ActiveRun* active) { active_ = active; }
    // Where the results file goes (default: the working directory).
    void set_results_dir(std::filesystem::path dir) { results_dir_ = std::move(dir); }
    // Off: the run writes no results file (a repeated run writes one for all its runs).
    void set_write_results(bool on) { write_results_ = on; }
    // The UTC clock that stamps the results file (tests).
    void set_clock(std::function<std::chrono::system_clock::time_point()> clock) {
        clock_ = std::move(clock);
    }

    // --- state ---
    const PanelState& panel() const { return panel_; }
    const SubScores& scores() const { return panel_.scores; }
    const std::vector<StepOutcome>& steps() const { return steps_; }
    bool automatic_run_in_progress() const { return auto_in_progress_; }
    int runs_finished() const { return runs_finished_; }
    // The last run's results file (empty when it could not be written: see results_error()).
    const std::filesystem::path& results_file() const { return results_file_; }
    const std::string& results_error() const { return results_error_; }
    // The last run was interrupted (app/interrupt.h): the steps after the one in progress
    // were not started and the results file says so.
    bool interrupted() const { return interrupted_; }
    // Every step of the last run produced its figure, the results file was written and the
    // automatic start did not fail.
    bool all_steps_ok() const;

    // The suite run ("Run Benchmarks", or the automatic start).
    void run_suite();

  protected:
    // Fills the profile list and logs the count on the first paint, reads the selected profile
    // on every paint, and takes the automation's request for an automatic start.
    void paint_dialog(bool first) override;
    // Arms the automatic start timer; the run begins when it fires.
    void start_automatic_run() override;

  private:
    StepOutcome& run_step(const app::BenchmarkInfo& b, app::RunRequest request);
    StepOutcome& skip_step(const app::BenchmarkInfo& b, std::string error);
    void run_benchmark(const app::BenchmarkInfo& b);
    // Checks the figures the sub-scores read from a finished step; false when it gave none
    // they can use.
    bool read_figures(StepOutcome& st);
    // A sub-score whose benchmarks have all had their turn.
    void score_group(std::string_view key);
    void write_results(std::chrono::system_clock::time_point started);

    const app::RunRegistry& registry_;
    SuiteInputs inputs_;
    PanelState panel_;
    std::vector<StepOutcome> steps_;
    bool auto_in_progress_ = false;
    bool auto_start_failed_ = false;
    bool interrupted_ = false;
    std::array<bool, app::kBenchmarkCount> figure_ok_{};  // this run's usable figures
    bool end_when_run_over_ = false;
    int runs_finished_ = 0;
    ActiveRun* active_ = nullptr;
    std::filesystem::path results_dir_{"."};
    bool write_results_ = true;
    std::filesystem::path results_file_;
    std::string results_error_;
    std::function<std::chrono::system_clock::time_point()> clock_;
};

}  // namespace suite
