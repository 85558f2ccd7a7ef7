// The molecular dynamics pair loops, nanoseconds per pair interaction: the AVX2 loop against
// the plain loop at 864 and 2048 atoms (argon-helium face-centred crystals after one step).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "md/deck.h"
#include "md/mdenergy.h"
#include "md/pair_kernels.h"

namespace {

// 864 atoms = 6 cells per side, 2048 = 8 (four atoms per cell).
const md::mdsimstate& state_for(int atoms) {
    static std::map<int, std::unique_ptr<md::mdsimstate>> states;
    auto& s = states[atoms];
    if (!s) {
        s = std::make_unique<md::mdsimstate>();
        md::SimulationSettings settings;
        settings.lattice_type = 2;
        settings.species = {2, 0, 2, 0};
        settings.cells_per_side = atoms == 864 ? 6 : 8;
        settings.temperature = 140;
        settings.time_step = 0.0001;
        settings.steps = 1;
        md::construct_from_settings(*s, settings);
        md::place_atoms(*s);
        md::init_atomvelocities(*s);
        md::compute_forces(*s);
        md::md_timestep(*s);
    }
    return *s;
}

// Seconds per pair interaction (printed with an SI prefix: "7.2n" is 7.2 ns).
void set_pairs_counter(benchmark::State& st, int atoms) {
    const double pairs = 0.5 * atoms * (atoms - 1);
    st.counters["ns_per_pair"] = benchmark::Counter(
        pairs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_compute_forces(benchmark::State& st, md::PairKernel kernel) {
    if (!md::pair_kernel_supported(kernel)) {
        st.SkipWithError("kernel not supported on this processor");
        return;
    }
    const int atoms = static_cast<int>(st.range(0));
    md::mdsimstate s = state_for(atoms);
    for (auto _ : st) {
        md::pair_loops(kernel).forces(s);
        benchmark::DoNotOptimize(s.forces.data());
        benchmark::ClobberMemory();
    }
    set_pairs_counter(st, atoms);
}

void BM_potential_energy(benchmark::State& st, md::PairKernel kernel) {
    if (!md::pair_kernel_supported(kernel)) {
        st.SkipWithError("kernel not supported on this processor");
        return;
    }
    const int atoms = static_cast<int>(st.range(0));
    const md::mdsimstate& s = state_for(atoms);
    for (auto _ : st) {
        const double pe = md::pair_loops(kernel).potential(s);
        benchmark::DoNotOptimize(pe);
    }
    set_pairs_counter(st, atoms);
}

// A whole velocity Verlet step (one pair sweep for forces and potential plus the linear
// passes), per pair: beside the loops above it shows what the step adds around them.
void BM_md_timestep(benchmark::State& st, md::PairKernel kernel) {
    if (!md::pair_kernel_supported(kernel)) {
        st.SkipWithError("kernel not supported on this processor");
        return;
    }
    md::set_pair_kernel(kernel);
    const int atoms = static_cast<int>(st.range(0));
    md::mdsimstate s = state_for(atoms);
    for (auto _ : st) {
        const md::Energies e = md::md_timestep(s);
        benchmark::DoNotOptimize(e);
    }
    md::clear_pair_kernel();
    const double sweeps = 0.5 * atoms * (atoms - 1);
    st.counters["ns_per_pair"] = benchmark::Counter(
        sweeps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(BM_compute_forces, plain, md::PairKernel::Plain)->Arg(864)->Arg(2048);
BENCHMARK_CAPTURE(BM_compute_forces, avx, md::PairKernel::Avx)->Arg(864)->Arg(2048);
BENCHMARK_CAPTURE(BM_compute_forces, avx2, md::PairKernel::Avx2)->Arg(864)->Arg(2048);
BENCHMARK_CAPTURE(BM_potential_energy, plain, md::PairKernel::Plain)->Arg(864)->Arg(2048);
BENCHMARK_CAPTURE(BM_potential_energy, avx, md::PairKernel::Avx)->Arg(864)->Arg(2048);
BENCHMARK_CAPTURE(BM_potential_energy, avx2, md::PairKernel::Avx2)->Arg(864)->Arg(2048);
BENCHMARK_CAPTURE(BM_md_timestep, plain, md::PairKernel::Plain)->Arg(864);
BENCHMARK_CAPTURE(BM_md_timestep, avx, md::PairKernel::Avx)->Arg(864);
BENCHMARK_CAPTURE(BM_md_timestep, avx2, md::PairKernel::Avx2)->Arg(864);

}  // namespace

int main(int argc, char** argv) {
    // Construction writes MD.out and a snapshot; keep them out of the caller's directory.
    std::string dir = (std::filesystem::temp_directory_path() / "md-bench-XXXXXX").string();
    if (::mkdtemp(dir.data())) std::filesystem::current_path(dir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
