// The theoretical peak of one core for the matrix multiply: floating-point operations per
// cycle of the processor's microarchitecture times the measured clock. The FLOP per cycle come
// from the vendor and the family/model (not the flags alone: Zen 1 has AVX2 and FMA on 128-bit
// units), with a conservative default for processors the table does not know.
#pragma once

#include <string>

#include "app/processor_info.h"

namespace blas {

// Double-precision FLOP per cycle of one core; single precision is twice that. 0 when the
// processor's peak cannot be determined (an unknown vendor, or no SSE2).
int dp_flops_per_cycle(const app::ProcessorInfo& info);

// Peak MFLOPS of one core at the report's clock rate (the counter's, about the base clock);
// 0 when unknown.
double isa_peak_mflops(const app::ProcessorInfo& info, bool single_precision);

// "ISA peak: %.0f MFLOPS".
std::string isa_peak_text(double peak_mflops);

// "Efficiency: %.1f%% of ISA peak", with " (above the base-clock peak)" when the measured
// figure exceeds it (boost clocks run above the measured base clock), "Efficiency: n/a"
// without a peak.
std::string efficiency_text(double measured_mflops, double peak_mflops);

}  // namespace blas
