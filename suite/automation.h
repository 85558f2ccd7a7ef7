// The main window's drivers: the one-time hand-over of the command line's run queue to the
// suite (timer 505), and the menu commands that open one benchmark dialog each, with the lines
// they append around it. Both run dialogs through a modal runner, so the GUI and the CLI share
// them.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/dialog_host.h"
#include "app/run_registry.h"
#include "suite/suite_dialog.h"

namespace suite {

class ActiveRun;

// The suite's inputs for a parsed command line: the queue (at most 100 codes), the decks
// looked up in MD/ and "Input Files/" ignoring case (the base name as stored on disk; the name
// as given when not found, so the run refuses it by that name), the kernel names for the queued
// precisions, automatic run requested and close when finished.
SuiteInputs hand_over_inputs(const app::CommandLine& cl);

struct HandOverOptions {
    // The CLI has no window to keep open: the suite ends itself after the run even when close
    // when finished is 0.
    bool end_when_run_over = false;
    ActiveRun* active = nullptr;
    // The console view's refresh (GUI); may be empty.
    std::function<void()> refresh_console;
    // A repeated run writes one results file for all its runs itself.
    bool write_results = true;
};

struct HandOverResult {
    int dialog_result = 0;
    bool close_program = false;  // close when finished: the caller closes the main window
    SubScores scores;
    std::vector<StepOutcome> steps;
    std::filesystem::path results_file;
    std::string results_error;
    bool suite_ran = false;  // the suite run happened (the automatic start worked)
    bool all_ok = false;     // every selected benchmark produced its figure
};

// Timer 505's work once start pending is set (the caller clears it): appends
// "Lumetra 2.0 Run Configuration...", runs the suite modally with the queue and, when it ends
// with the cancel result, appends "Finished Lumetra 2.0 Run Configuration.".
HandOverResult run_configuration(const app::CommandLine& cl, const app::RunRegistry& registry,
                                 app::ModalRunner& runner, const HandOverOptions& options = {});

// Whether the last run_configuration() of this process had every selected benchmark produce
// its figure; nothing when none ran (the GUI's exit status).
std::optional<bool> last_hand_over_ok();

// One menu command: its benchmark and the lines appended before and after its dialog.
struct MenuDriver {
    int command_id;
    std::string_view menu;   // "M&ol Dyn", ...
    std::string_view entry;  // "Run Benchmark", ...
    int code;                // the benchmark code (kCodeAll: the suite, without automatic run)
    std::string_view opening;
    std::string_view on_cancel;  // closing line when the dialog ended with the cancel result
    std::string_view otherwise;  // closing line for any other result; empty: no line
};

std::span<const MenuDriver> menu_drivers();
const MenuDriver* find_menu_driver(int command_id);
// The closing line for a dialog result; empty when none is written.
std::string_view driver_closing_line(const MenuDriver& driver, int result);
// The request a menu driver hands the dialog: no automatic start, the user works it.
app::RunRequest menu_request();

// A driver's steps around an already prepared dialog: opening line, refresh, modal run,
// closing line, refresh. Returns the dialog's result.
int run_menu_driver(const MenuDriver& driver, app::RunController& dialog, app::ModalRunner& runner,
                    const std::function<void()>& refresh = {});

}  // namespace suite
