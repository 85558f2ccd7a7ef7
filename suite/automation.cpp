#include "suite/automation.h"

#include <algorithm>
#include <atomic>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/files.h"
#include "app/startup.h"

namespace suite {
namespace {

std::atomic<int> g_last_hand_over{-1};  // -1 none, 0 a step failed, 1 all produced figures

// The deck's base name as stored on disk; when it is not there, the name the user typed (or
// the default name), so the run can refuse it by that name.
std::string deck_base(const char* folder, const std::string& deck, const std::string& typed) {
    if (deck.empty()) return {};
    const auto found = app::find_file_nocase(folder, deck);
    if (found) return app::base_name(*found);
    return typed.empty() ? deck : typed;
}

// The file a typed deck name opens: the entry of that name in the folder (any case); a name
// without an extension is a deck name and gets ".in". Not found: the name as typed, which the
// run refuses.
std::string typed_deck_file(const char* folder, const std::string& typed) {
    if (typed.empty()) return {};
    if (const auto found = app::find_file_nocase(folder, typed)) return found->filename().string();
    return typed.find('.') == std::string::npos ? typed + ".in" : typed;
}

void refresh(const std::function<void()>& f) {
    if (f) f();
}

std::vector<MenuDriver> make_drivers() {
    std::vector<MenuDriver> out;
    auto add = [&](const app::BenchmarkInfo& b) {
        out.push_back({b.menu_id, b.menu, b.menu_entry, b.code, b.driver_opening,
                       b.driver_on_cancel, b.driver_otherwise});
    };
    for (const app::BenchmarkInfo& b : app::benchmarks()) add(b);
    add(app::run_all_row());
    return out;
}

const std::vector<MenuDriver>& drivers() {
    static const std::vector<MenuDriver> table = make_drivers();
    return table;
}

}  // namespace

SuiteInputs hand_over_inputs(const app::CommandLine& cl) {
    SuiteInputs in;
    const std::size_t n = std::min(cl.queue.size(), kSuiteQueueCapacity);
    in.queue.assign(cl.queue.begin(), cl.queue.begin() + static_cast<std::ptrdiff_t>(n));
    for (int code : in.queue) {
        const bool all = code == app::kCodeAll;
        if (code == app::kCodeMolDyn || all) {
            in.md_deck = deck_base("MD", cl.md_deck, cl.md_deck_typed);
            in.md_deck_typed = !cl.md_deck_typed.empty();
            in.md_deck_file = typed_deck_file("MD", cl.md_deck_typed);
        }
        if (code == app::kCodeOrbitra || all) {
            in.orbitra_deck = deck_base("Input Files", cl.orbitra_deck, cl.orbitra_deck_typed);
            in.orbitra_deck_typed = !cl.orbitra_deck_typed.empty();
            in.orbitra_deck_file = typed_deck_file("Input Files", cl.orbitra_deck_typed);
        }
        if (code == app::kCodeSgemm || all) in.sgemm_kernel = cl.sgemm_kernel;
        if (code == app::kCodeDgemm || all) in.dgemm_kernel = cl.dgemm_kernel;
    }
    in.automatic_run_requested = true;
    in.close_when_finished = cl.close_when_finished;
    return in;
}

HandOverResult run_configuration(const app::CommandLine& cl, const app::RunRegistry& registry,
                                 app::ModalRunner& runner, const HandOverOptions& options) {
    app::ConsoleAppend(app::with_cursor("Lumetra 2.0 Run Configuration..."));
    refresh(options.refresh_console);

    SuiteController dialog(registry);
    dialog.inputs() = hand_over_inputs(cl);
    dialog.set_end_when_run_over(options.end_when_run_over);
    dialog.set_active_run(options.active);
    dialog.set_write_results(options.write_results);
    dialog.set_results_dir(app::output_directory());

    HandOverResult out;
    out.dialog_result = runner.run_modal(dialog);
    if (out.dialog_result == app::kIdCancel)
        app::ConsoleAppend(app::with_cursor("Finished Lumetra 2.0 Run Configuration."));
    refresh(options.refresh_console);

    out.close_program = cl.close_when_finished;
    out.scores = dialog.scores();
    out.steps = dialog.steps();
    out.results_file = dialog.results_file();
    out.results_error = dialog.results_error();
    out.suite_ran = dialog.runs_finished() > 0;
    out.all_ok = out.suite_ran && dialog.all_steps_ok();
    g_last_hand_over.store(out.all_ok ? 1 : 0);
    return out;
}

std::optional<bool> last_hand_over_ok() {
    const int v = g_last_hand_over.load();
    if (v < 0) return std::nullopt;
    return v == 1;
}

std::span<const MenuDriver> menu_drivers() {
    return drivers();
}

const MenuDriver* find_menu_driver(int command_id) {
    for (const MenuDriver& d : drivers())
        if (d.command_id == command_id) return &d;
    return nullptr;
}

std::string_view driver_closing_line(const MenuDriver& driver, int result) {
    return result == app::kIdCancel ? driver.on_cancel : driver.otherwise;
}

app::RunRequest menu_request() {
    app::RunRequest r;
    r.auto_start = false;
    r.close_when_done = false;
    return r;
}

int run_menu_driver(const MenuDriver& driver, app::RunController& dialog, app::ModalRunner& runner,
                    const std::function<void()>& refresh_view) {
    app::ConsoleAppend(app::with_cursor(driver.opening));
    refresh(refresh_view);
    const int result = runner.run_modal(dialog);
    const std::string_view closing = driver_closing_line(driver, result);
    if (!closing.empty()) app::ConsoleAppend(app::with_cursor(closing));
    refresh(refresh_view);
    return result;
}

}  // namespace suite
