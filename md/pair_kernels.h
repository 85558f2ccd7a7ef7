// The all-pairs loops that dominate the benchmark, in a plain form (also built for AVX, whose
// rounding instruction makes the minimum image cheap) and an AVX2 form that computes four pairs
// side by side. All give bit-identical forces and energies: every per-pair operation is
// correctly rounded in each form and the running sums keep the pair order.
#pragma once

#include "app/isa.h"
#include "app/processor_info.h"
#include "md/mdsimstate.h"

namespace md {

enum class PairKernel { Plain, Avx, Avx2 };
inline constexpr PairKernel kPairKernels[] = {PairKernel::Plain, PairKernel::Avx, PairKernel::Avx2};

// Both loops of one form. The force loop returns the sum of the potential terms of the same
// pairs, bit-identical to what the potential loop returns for these positions.
struct PairLoops {
    PairKernel kernel;
    double (*forces)(mdsimstate& s);
    double (*potential)(const mdsimstate& s);
};

const char* pair_kernel_name(PairKernel k);
const PairLoops& pair_loops(PairKernel k);
// The fastest kernel the features allow (the table's pick).
PairKernel pair_kernel_for(app::IsaFeatures available);
// The fastest kernel a processor report allows.
PairKernel pair_kernel_for(const app::ProcessorInfo& info);
// Whether this processor can run `k` (checked directly, for tests and benchmarks).
bool pair_kernel_supported(PairKernel k);

// The loops compute_forces() and potential_energy() use: the process's decision (app/isa.h)
// picks them, unless a kernel is set. Set it before a run starts, never during one.
PairKernel active_pair_kernel();
const PairLoops& active_pair_loops();
void set_pair_kernel(PairKernel k);
void clear_pair_kernel();

// Adds each pair's contribution; forces start from zero (previous forces are the caller's).
// Returns the potential sum, as the potential loops do.
double pair_forces_plain(mdsimstate& s);
double pair_potential_plain(const mdsimstate& s);
double pair_forces_plain_avx(mdsimstate& s);
double pair_potential_plain_avx(const mdsimstate& s);
double pair_forces_avx2(mdsimstate& s);
double pair_potential_avx2(const mdsimstate& s);

}  // namespace md
