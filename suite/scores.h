// Sub-scores: each headline figure relative to the reference machine, where 1000 means as fast
// as the reference. Everything is single precision except the cipher score, which is computed
// in double and stored as a float.
#pragma once

#include <optional>

namespace suite {

// The reference machine's figures.
inline constexpr float kRefMemoryLatencyNs = 87.3f;
inline constexpr float kRefMemoryBandwidthMbs = 3924.38f;
inline constexpr float kRefMdTimeS = 75.75f;
inline constexpr float kRefOrbitraTimeS = 330.626f;
inline constexpr double kRefCipherRateMbs = 112.51;
inline constexpr float kRefSgemmMflops = 5521.23f;
inline constexpr float kRefDgemmMflops = 2751.78f;

// The value of a sub-score that was not measured.
inline constexpr float kNotMeasured = -1.0f;

// (reference - time) / time * 1000 + 1000, for run times.
float time_subscore(float reference, float time);
// (value - reference) / reference * 1000 + 1000, for rates.
float rate_subscore(float reference, float value);

float memory_subscore(float bandwidth_mbs, float latency_ns);
float md_subscore(float time_s);
float orbitra_subscore(float time_s);
float cipher_subscore(double rate_mbs);
float blas_subscore(float sgemm_mflops, float dgemm_mflops);

// A figure the formulas may divide by: positive and finite. Anything else (a refused deck's
// time of 0, a stopped run, a missing figure) gives no score at all.
bool usable_figure(double value);

}  // namespace suite
