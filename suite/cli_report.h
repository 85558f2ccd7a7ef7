// What the command-line program shows around a queued suite run: the in-place progress line on
// a terminal's standard error, the closing sub-score lines and the exit status. None of it
// reaches the console text or its log file.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/command_line.h"
#include "suite/active_run.h"
#include "suite/automation.h"

namespace suite {

// Exit statuses of lumetra2-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitCommandLine = 2;
// An interrupt by signal: 128 + the signal's number (130 for SIGINT, 143 for SIGTERM), as a
// shell reports a program the signal ended.
inline constexpr int kExitSignalBase = 128;

// "Molecular Dynamics: Step 1200/4000, 12.3 s"
std::string progress_line_text(const ActiveRun::Snapshot& snapshot);

// The closing lines: one per sub-score ("not measured" for -1) and the results file's path
// (or why it could not be written). Each ends with "\n".
std::string final_report(const HandOverResult& result);

// How lumetra2-cli closes a run, set once before it: the summary as one JSON object instead
// of the text, and every failure also on `errors` (standard error) after "lumetra2-cli: ".
struct CliReportOptions {
    bool json = false;
    std::FILE* errors = nullptr;
};
void set_cli_report_options(const CliReportOptions& options);

// The closing summary for scripts: sub-scores (null when not measured), headline figures
// with units, failures, the results file, whether the run was interrupted.
nlohmann::json summary_json(const HandOverResult& result);

// Writes the closing summary on `out` (`text` or, with the JSON option, the JSON object) and
// the failures on the error stream.
void write_closing_report(std::FILE* out, const HandOverResult& result, const std::string& text);

// 2 for command-line errors, else 128 + the signal after an interrupt, else 0 when nothing was
// queued or every selected benchmark produced its figure, else 1.
int exit_status(const app::CommandLine& cl, const HandOverResult* result);
// The same statuses for a program that handed its queue over by itself (the GUI): from the
// command line and the last hand-over of this process.
int exit_status_after_hand_over(const app::CommandLine& cl);

// Redraws one status line in place on `out` every `period_ms` while a step runs. Output is
// serialised with clear(), which a writer of other text calls first so lines never mix.
class ProgressLine {
  public:
    ProgressLine(ActiveRun& active, std::FILE* out, int period_ms = 250);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Erases the line if one is shown (safe from any thread).
    void clear();
    void stop();

  private:
    void loop();

    ActiveRun& active_;
    std::FILE* out_;
    int period_ms_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool shown_ = false;
    std::thread thread_;
};

// Erases the progress line of the running ProgressLine, if any: the CLI's console stream calls
// it before writing a line to standard output, so the two never share a row.
void clear_cli_progress_line();

// The whole queued run for the command-line program: the hand-over with the suite ending
// itself, a progress line on `progress_out` when it is given (a terminal), the closing lines
// on `report_out`. Returns the exit status.
int run_queue_for_cli(const app::CommandLine& cl, const app::RunRegistry& registry,
                      app::ModalRunner& runner, std::FILE* report_out, std::FILE* progress_out);

}  // namespace suite
