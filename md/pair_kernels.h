// The all-pairs loops that dominate the benchmark, in a plain form and an AVX2 form that
// computes four pairs side by side. Both give bit-identical forces and energies: every per-pair
// operation is correctly rounded in either form and the running sums keep the pair order.
#pragma once

#include <string>

#include "app/processor_info.h"
#include "md/mdsimstate.h"

namespace md {

enum class PairKernel { Plain, Avx2 };

const char* pair_kernel_name(PairKernel k);
// The fastest kernel the processor report allows.
PairKernel pair_kernel_for(const app::ProcessorInfo& info);
// Whether this processor can run `k` (checked directly, for tests and benchmarks).
bool pair_kernel_supported(PairKernel k);

// The kernel compute_forces() and potential_energy() use: the one the processor report allows,
// unless set. Set it before a run starts, never during one.
PairKernel active_pair_kernel();
void set_pair_kernel(PairKernel k);
void clear_pair_kernel();

// Adds each pair's contribution; forces start from zero (previous forces are the caller's).
void pair_forces_plain(mdsimstate& s);
double pair_potential_plain(const mdsimstate& s);
void pair_forces_avx2(mdsimstate& s);
double pair_potential_avx2(const mdsimstate& s);

}  // namespace md
