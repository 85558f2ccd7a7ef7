#include "atom/orbitra_run.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/files.h"
#include "app/format.h"
#include "app/lap_timer.h"

namespace atom {
namespace {

// The list entry whose value equals `value`, or the value itself when no entry does.
std::string list_text(const std::vector<std::string>& list, double value) {
    for (const std::string& e : list)
        if (std::strtod(e.c_str(), nullptr) == value) return e;
    return app::strprintf("%.15g", value);
}

double list_value(const std::vector<std::string>& list, const std::string& text, double other) {
    for (const std::string& e : list)
        if (e == text) return std::strtod(e.c_str(), nullptr);
    // A deck's own value that no entry holds is shown in the list as it is and runs as shown;
    // the deck check refuses it if it is out of range.
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (!text.empty() && end && *end == '\0' && std::isfinite(v) && v > 0.0) return v;
    return other;
}

// The error line of an SCF iteration that did not complete; empty for a stop.
std::string iteration_error(const AtomState& st, const ComputeRequest& rq, int j) {
    switch (st.outcome) {
        case IterationOutcome::ExchangeFailed:
            return app::strprintf(
                "Error: Orbitra calculation of %s failed in MakeRadLocPot (no split point on "
                "the grid) in SCF iteration %d.",
                rq.deck_label.c_str(), j);
        case IterationOutcome::NoEigenvalue: {
            const auto k = static_cast<std::size_t>(std::max(st.failed_orbital, 0));
            const bool known = k < st.wf.n.size();
            return app::strprintf(
                "Error: Orbitra calculation of %s failed: the eigenvalue of orbital %d (n = %d, "
                "l = %d) was not found within the bisection step limit in SCF iteration %d.",
                rq.deck_label.c_str(), static_cast<int>(k) + 1, known ? st.wf.n[k] : 0,
                known ? st.wf.l[k] : 0, j);
        }
        default:
            return {};
    }
}

}  // namespace

void orbitra_compute(OrbitraShared& sh, const ComputeRequest& rq) {
    AtomState& st = sh.atom;
    st.progress.stop = &sh.stop_request;
    std::string problem;
    if (!atom_setup(st, rq.deck_path, rq.grid, rq.max_iterations, problem)) {
        std::lock_guard lock(sh.mutex);
        if (!st.output_error.empty())
            sh.error = app::strprintf("Error: Orbitra run of %s failed: %s.", rq.deck_label.c_str(),
                                      st.output_error.c_str());
        else
            sh.error = app::strprintf("Error: Orbitra deck %s refused: %s.", rq.deck_label.c_str(),
                                      problem.c_str());
        sh.run_finished.set();
        return;
    }
    const std::size_t K = static_cast<std::size_t>(st.wf.K);
    {
        std::lock_guard lock(sh.mutex);
        sh.view_u.shape_like(st.r);
        sh.view_harmonic = st.wf.l[K - 1] * (st.wf.l[K - 1] + 1) + st.wf.m[K - 1];
        sh.Z = st.Z;
    }
    sh.view_refresh.set();
    sh.view_data_ready.set();

    int j = 0;
    int count = rq.max_iterations;
    for (;;) {
        if (sh.stop_request.is_set()) {
            atom_teardown(st);
            sh.run_finished.set();
            return;
        }
        while (sh.iteration_ready.poll()) {
        }
        sh.iteration.store(j, std::memory_order_relaxed);
        if (!scf_iteration(st, j)) {
            // A stop leaves the error empty: the end of the run reports the interruption.
            std::string line = iteration_error(st, rq, j);
            atom_teardown(st);
            std::lock_guard lock(sh.mutex);
            sh.error = std::move(line);
            sh.run_finished.set();
            return;
        }
        const auto row = static_cast<std::size_t>(j);
        {
            std::lock_guard lock(sh.mutex);
            OrbitraEnergies& e = sh.published;
            e.exchange = st.scf.exchange[row];
            e.hartree = st.scf.hartree[row];
            e.kinetic = st.scf.kinetic[row];
            e.nuclear = st.scf.nuclear[row];
            e.potential = e.nuclear + e.hartree + e.exchange;
            e.total = st.scf.total[row];
            sh.virial[row] = std::log(std::fabs(2.0 - std::fabs(e.potential / e.total)));
            sh.eigenvalues.assign(st.scf.eigenvalue.begin() + static_cast<long>(row * K),
                                  st.scf.eigenvalue.begin() + static_cast<long>((row + 1) * K));
            sh.converged = st.converged != 0;
        }
        sh.iteration_ready.set();
        {
            std::lock_guard lock(sh.mutex);
            sh.view_u.values = st.wf.u[K - 1].values;
        }
        sh.view_refresh.set();
        if (st.converged) {
            count = j;
            break;
        }
        if (++j >= rq.max_iterations) break;
    }
    sh.final_count.store(count);
    if (sh.keep_data.load()) {
        sh.run_finished.set();
        return;
    }
    atom_teardown(st);
    {
        std::lock_guard lock(sh.mutex);
        sh.view_u = radgrid{};
    }
    sh.run_finished.set();
}

OrbitraController::OrbitraController() = default;

OrbitraController::~OrbitraController() {
    // A dialog closed during a run: stop at the next iteration boundary and wait for it.
    if (compute_.joinable()) {
        shared_.stop_request.set();
        compute_.join();
    }
}

void OrbitraController::fill_lists() {
    atoms.clear();
    // Entries that are not regular files are listed too: running one says what is wrong
    // with it instead of running another deck.
    for (const auto& p : app::list_files_nocase(deck_folder, ".in", false))
        atoms.push_back({app::base_name(p), p});
    std::stable_sort(atoms.begin(), atoms.end(), [](const AtomEntry& a, const AtomEntry& b) {
        return app::iless(a.name, b.name);
    });
    default_mode = true;
    atom_index = 0;
    read_grid_values();
    list_filled = true;
}

void OrbitraController::read_grid_values() {
    if (atoms.empty()) return;
    std::string text, error;
    AtomDeck deck;
    if (!read_text_file(atoms[static_cast<std::size_t>(atom_index)].path, text, error) ||
        !parse_atom_deck_grid(text, deck, error)) {
        // No grid to show: the lists must not keep another deck's values.
        points_text.clear();
        rinit_text.clear();
        rfinal_text.clear();
        return;
    }
    points_text = list_text(kPointsList, deck.points);
    rinit_text = list_text(kRinitList, deck.rinit);
    rfinal_text = list_text(kRfinalList, deck.rfinal);
}

void OrbitraController::select_atom(int index) {
    // The deck and its grid cannot change under a running calculation.
    if (running) return;
    if (index < 0 || index >= static_cast<int>(atoms.size())) return;
    atom_index = index;
    read_grid_values();
}

void OrbitraController::select_default_sim() {
    if (default_mode || running) return;
    default_mode = true;
    read_grid_values();
}

void OrbitraController::select_user_defined() {
    if (running) return;
    default_mode = false;
}

std::string OrbitraController::title() const {
    return std::string(app::find_benchmark(app::kCodeOrbitra)->title);
}

void OrbitraController::paint_dialog(bool first) {
    if (first) fill_lists();
}

void OrbitraController::start_automatic_run() {
    auto it = std::find_if(atoms.begin(), atoms.end(), [&](const AtomEntry& a) {
        return deck_file.empty() ? app::iequals(a.name, deck_name)
                                 : app::iequals(a.path.filename().string(), deck_file);
    });
    if (it == atoms.end() && !deck_file.empty()) {
        // A named file outside the list (another extension) still runs as named.
        if (const auto found = app::find_file_nocase(deck_folder, deck_file)) {
            atoms.push_back({app::base_name(*found), *found});
            it = atoms.end() - 1;
        }
    }
    if (it != atoms.end()) {
        select_atom(static_cast<int>(it - atoms.begin()));
    } else if (deck_typed) {
        // The user named this deck: running another one in its place would be scored as it.
        record().begin();
        record().set_figure("deck", deck_name);
        const std::string& file = deck_file.empty() ? deck_name : deck_file;
        fail_before_start(app::strprintf("Error: Orbitra deck %s/%s cannot be opened.",
                                         deck_folder.string().c_str(),
                                         app::printable_text(file).c_str()));
        return;
    } else {
        // The default deck is missing: the first deck of the list runs, and says so.
        host().message_box("Can't execute batch run script", "Can't find file");
        select_atom(0);
        deck_fallback_ = true;
    }
    run();
}

void OrbitraController::fail_before_start(const std::string& line) {
    if (record().status() != app::RunStatus::Running) record().begin();
    status = "Status: Idle";
    give_up(line);
}

void OrbitraController::run() {
    if (running) return;
    if (atoms.empty()) {
        fail_before_start("Error: No atom decks found in " + deck_folder.string() + ".");
        return;
    }
    if (view_button_enabled) {
        view_button_enabled = false;
        shared_.keep_data.store(false);
    }
    if (close_view) close_view();
    // A kept state from an earlier run is released by the next setup.
    shared_.run_finished.reset();
    shared_.stop_request.reset();
    shared_.iteration_ready.reset();
    shared_.iteration.store(0);
    shared_.final_count.store(0);
    {
        std::lock_guard lock(shared_.mutex);
        shared_.error.clear();
        shared_.published = OrbitraEnergies{};
        shared_.virial.fill(0.0);
        shared_.eigenvalues.clear();
        shared_.converged = false;
    }
    running = true;
    scf_iteration_shown = 0;
    display = OrbitraEnergies{};
    simulation_time = 0.0;
    record().begin();
    record().set_progress("Iteration", 0, max_iterations);

    const AtomEntry& entry = atoms[static_cast<std::size_t>(atom_index)];
    ComputeRequest rq;
    rq.deck_path = entry.path;
    rq.deck_label = entry.name + ".in";
    rq.grid.active = !default_mode;
    rq.grid.points = static_cast<int>(list_value(kPointsList, points_text, 250));
    rq.grid.rinit = list_value(kRinitList, rinit_text, 0.001);
    rq.grid.rfinal = list_value(kRfinalList, rfinal_text, 400);
    rq.max_iterations = max_iterations;
    shared_.keep_data.store(view_sim);

    if (view_sim && open_view) open_view();
    if (!start_timer_or_report(kTimerStatus, 100)) {
        running = false;
        fail_before_start("Error: Could not create Timer in OnRunSimulation().");
        return;
    }
    app::lap_restart();
    auto body = [this, rq] { orbitra_compute(shared_, rq); };
    // The compute thread on the second processor, the exchange thread on the first.
    const int processor = app::processor_count() >= 2 ? 1 : -1;
    if (!start_worker(compute_, body, {processor, app::Priority::Normal})) {
        host().kill_timer(kTimerStatus);
        running = false;
        fail_before_start("Error: Could not create the Orbitra compute thread.");
        return;
    }
    if (!start_timer_or_report(kTimerClock, 1)) {
        shared_.stop_request.set();
        compute_.join();
        host().kill_timer(kTimerStatus);
        running = false;
        fail_before_start("Error: Could not create Timer in OnRunSimulation().");
    }
}

void OrbitraController::on_command(int id) {
    switch (id) {
        case kIdRunSimulation:
            run();
            break;
        case kIdDefaultSim:
            select_default_sim();
            break;
        case kIdUserDefined:
            select_user_defined();
            break;
        case kIdViewSim:
            view_sim = !view_sim;
            break;
        default:
            break;
    }
}

void OrbitraController::on_cancel() {
    if (running) {
        if (host().ask_yes_no("Do you wish to stop the simulation?", "Simulation in Progress"))
            shared_.stop_request.set();
        return;
    }
    if (close_view) close_view();
    host().end_dialog(app::kIdCancel);
}

void OrbitraController::on_timer(int id) {
    if (id == kTimerClock) {
        simulation_time += app::lap_take();
        if (shared_.run_finished.poll()) end_of_run();
        return;
    }
    if (id != kTimerStatus) return;
    const EvaluationProgress& p = shared_.atom.progress;
    const int iteration = shared_.iteration.load(std::memory_order_relaxed);
    if (p.hartree_in_progress.load(std::memory_order_relaxed)) {
        status = "Status: Calculating Hartree Interaction potential";
        progress_low = p.low.load(std::memory_order_relaxed);
        progress_high = p.high.load(std::memory_order_relaxed);
        progress_pos = p.position.load(std::memory_order_relaxed);
        record().set_progress("Hartree", progress_pos, progress_high);
    } else if (p.exchange_in_progress.load(std::memory_order_relaxed)) {
        status = "Status: Calculating Exchange Interaction potential";
        progress_low = p.low.load(std::memory_order_relaxed);
        progress_high = p.high.load(std::memory_order_relaxed);
        progress_pos = p.position.load(std::memory_order_relaxed);
        record().set_progress("Exchange", progress_pos, progress_high);
    } else {
        status = "Status: Refining...";
        progress_low = 0;
        progress_high = max_iterations;
        progress_pos = iteration;
        record().set_progress("Iteration", iteration, max_iterations);
    }
    {
        std::lock_guard lock(shared_.mutex);
        display = shared_.published;
    }
    if (iteration != scf_iteration_shown) {
        scf_iteration_shown = iteration;
        host().request_repaint();
    }
    shared_.iteration_ready.reset();
}

void OrbitraController::end_of_run() {
    host().kill_timer(kTimerStatus);
    host().kill_timer(kTimerClock);
    if (compute_.joinable()) compute_.join();
    const int count = shared_.final_count.load();
    scf_iteration_shown = count;
    if (shared_.keep_data.load() && shared_.atom.allocated) view_button_enabled = true;
    running = false;

    std::string error;
    OrbitraEnergies last;
    std::vector<double> eigenvalues;
    double virial = 0.0;
    double Z = 0.0;
    bool converged = false;
    {
        std::lock_guard lock(shared_.mutex);
        error = shared_.error;
        last = shared_.published;
        eigenvalues = shared_.eigenvalues;
        Z = shared_.Z;
        converged = shared_.converged;
        const int shown = std::min(count, kMaxScfIterations - 1);
        virial = shared_.virial[static_cast<std::size_t>(shown)];
    }
    display = last;
    if (error.empty() && !shared_.stop_request.is_set()) {
        // A calculation whose figures overflowed measured nothing that can be scored.
        const struct {
            const char* name;
            double value;
        } figures[] = {{"time", simulation_time},           {"total energy", last.total},
                       {"kinetic energy", last.kinetic},    {"nuclear energy", last.nuclear},
                       {"Hartree energy", last.hartree},    {"exchange energy", last.exchange},
                       {"potential energy", last.potential}};
        for (const auto& f : figures)
            if (error.empty() && !std::isfinite(f.value))
                error = app::strprintf(
                    "Error: Orbitra calculation of %s failed: the %s is not a "
                    "finite number.",
                    (atoms[static_cast<std::size_t>(atom_index)].name + ".in").c_str(), f.name);
        for (std::size_t k = 0; error.empty() && k < eigenvalues.size(); ++k)
            if (!std::isfinite(eigenvalues[k]))
                error = app::strprintf(
                    "Error: Orbitra calculation of %s failed: the eigenvalue "
                    "of orbital %d is not a finite number.",
                    (atoms[static_cast<std::size_t>(atom_index)].name + ".in").c_str(),
                    static_cast<int>(k) + 1);
    }
    if (!error.empty()) {
        // A refused deck or a failed exchange evaluation: the run ends, nothing is stored.
        status = "Status: Error";
        progress_low = progress_pos = 0;
        app::ConsoleLog(app::with_cursor(error));
        record().fail(error);
    } else if (!shared_.stop_request.is_set()) {
        status = "Status: Finished";
        progress_low = 0;
        progress_high = progress_pos = max_iterations;
        app::ConsoleLog(app::with_cursor(app::strprintf("Time: %.5f seconds.", simulation_time)));
        result = static_cast<float>(simulation_time);
        const AtomEntry& entry = atoms[static_cast<std::size_t>(atom_index)];
        nlohmann::json figures = {
            {"deck", entry.name},
            {"Z", Z},
            {"time_s", simulation_time},
            {"iterations", count},
            {"converged", converged},
            {"total_energy", last.total},
            {"kinetic_energy", last.kinetic},
            {"nuclear_energy", last.nuclear},
            {"hartree_energy", last.hartree},
            {"exchange_energy", last.exchange},
            {"potential_energy", last.potential},
            {"virial", virial},
            {"eigenvalues", eigenvalues},
            {"virial_history", virial_history()},
        };
        // Not the deck that was asked for: a suite must not score it as the reference.
        if (deck_fallback_) figures["deck_fallback"] = true;
        record().merge_figures(figures);
        record().set_headline("time_s", simulation_time);
        record().set_progress("Iteration", max_iterations, max_iterations);
        record().complete();
    } else {
        status = "Status: Stopped";
        progress_pos = 0;
        app::ConsoleLog(app::with_cursor("Benchmark interrupted."));
        record().stop("Benchmark interrupted.");
    }
    host().request_repaint();
    if (view_run_ended) view_run_ended();
    close_if_automatic();
}

std::vector<double> OrbitraController::virial_history() const {
    const int shown = std::clamp(scf_iteration_shown, 0, kMaxScfIterations);
    std::lock_guard lock(shared_.mutex);
    return {shared_.virial.begin(), shared_.virial.begin() + shown};
}

}  // namespace atom
