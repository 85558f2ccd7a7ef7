// The Orbitra work on the suite's reference deck (Ag.in): one Hartree evaluation, one exchange
// evaluation and one eigen-solve of all 47 orbitals, each as the SCF does it; one SCF iteration
// with the exchange on its own thread against the same iteration run sequentially; and the
// whole timed run through the run controller, the way the suite runs it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/console.h"
#include "app/headless_host.h"
#include "atom/atomstate.h"
#include "atom/orbitra_run.h"

namespace {

namespace fs = std::filesystem;

fs::path reference_deck() {
    return fs::path(LUMETRA_SOURCE_DIR) / "data" / "Input Files" / "Ag.in";
}

// Setup writes its log files into the working directory: keep them out of the tree.
void enter_scratch_directory() {
    static bool done = false;
    if (done) return;
    done = true;
    std::string tmpl = (fs::temp_directory_path() / "lumetra-atom-bench-XXXXXX").string();
    if (::mkdtemp(tmpl.data())) fs::current_path(tmpl);
}

// Ag after three SCF iterations: realistic orbitals and potentials.
atom::AtomState& silver() {
    static atom::AtomState st;
    static bool ready = false;
    if (!ready) {
        enter_scratch_directory();
        std::string err;
        st.exchange_on_thread = false;
        if (!atom::atom_setup(st, reference_deck(), {}, atom::kMaxScfIterations, err)) {
            std::fprintf(stderr, "Ag.in: %s\n", err.c_str());
            std::exit(1);
        }
        for (int j = 0; j < 3; ++j) atom::scf_iteration(st, j);
        ready = true;
    }
    return st;
}

void BM_HartreeEvaluation(benchmark::State& state) {
    atom::AtomState& st = silver();
    double energy = 0.0;
    for (auto _ : state) {
        atom::hartree_evaluation(st.r, st.dr, st.wf, st.vtot, &energy, *st.hartree_ws, st.progress);
        benchmark::DoNotOptimize(energy);
    }
    // Leave V_tot as the solver expects it for the benchmarks that follow.
    atom::scf_iteration(st, 3);
}
BENCHMARK(BM_HartreeEvaluation)->Unit(benchmark::kMillisecond);

void BM_ExchangeEvaluation(benchmark::State& state) {
    atom::AtomState& st = silver();
    double energy = 0.0;
    for (auto _ : state) {
        atom::exchange_evaluation(st.r, st.dr, st.wf, st.wx, &energy, *st.exchange_ws, st.progress);
        benchmark::DoNotOptimize(energy);
    }
}
BENCHMARK(BM_ExchangeEvaluation)->Unit(benchmark::kMillisecond);

// Without a stop request, and looking at one before every trial energy as a run does.
void BM_EigenSolve(benchmark::State& state) {
    atom::AtomState& st = silver();
    const std::size_t K = static_cast<std::size_t>(st.wf.K);
    std::vector<double> eps(K);
    app::Event stop(app::Event::Reset::Manual);
    const app::Event* looked_at = state.range(0) ? &stop : nullptr;
    for (auto _ : state) {
        atom::eigen_solve(st.Z, st.vtot, st.r, st.dr, st.wf, eps.data(), *st.solver_ws, looked_at);
        benchmark::DoNotOptimize(eps.data());
    }
    state.SetLabel(state.range(0) ? "stop request looked at" : "no stop request");
}
BENCHMARK(BM_EigenSolve)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One SCF iteration, the exchange on a second thread (as the benchmark runs it) or inline.
void BM_ScfIteration(benchmark::State& state) {
    atom::AtomState& st = silver();
    st.exchange_on_thread = state.range(0) != 0;
    for (auto _ : state) atom::scf_iteration(st, 4);
    st.exchange_on_thread = false;
    state.SetLabel(state.range(0) ? "exchange thread" : "sequential");
}
BENCHMARK(BM_ScfIteration)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole Ag.in run through the controller and the headless host: the benchmark's figure.
void BM_OrbitraAgRun(benchmark::State& state) {
    enter_scratch_directory();
    fs::create_directories("Input Files");
    fs::copy_file(reference_deck(), "Input Files/Ag.in", fs::copy_options::overwrite_existing);
    for (auto _ : state) {
        atom::OrbitraController run;
        run.auto_start = true;
        run.close_when_done = true;
        run.deck_name = "Ag";
        app::HeadlessRunner runner;
        runner.run_modal(run);
        state.SetIterationTime(run.simulation_time);
        state.counters["time_s"] = run.simulation_time;
        state.counters["scf_iterations"] = run.scf_iteration_shown;
        state.counters["total_energy"] = run.record().figure("total_energy").get<double>();
    }
}
BENCHMARK(BM_OrbitraAgRun)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
