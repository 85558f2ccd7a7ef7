// Sub-scores: each headline figure relative to the reference machine, where 1000 means as fast
// as the reference. Everything is single precision except the cipher score, which is computed
// in double and stored as a float.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

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

// One figure a sub-score reads: a step's headline (`figure` empty) or a named figure of its
// run record.
struct ScoreInput {
    std::string_view step;         // results-file section ("memory", "sgemm", ...)
    std::string_view figure = {};  // the record's figure name; empty: the headline
    std::string_view noun = {};    // names it in "the run gave no usable ... figure"
};

inline constexpr std::size_t kMaxScoreInputs = 2;

// The scoring rule of one sub-score: the figures it needs and the formula that turns them
// (in the order of `inputs`) into the score. The suite run, the repeated run (from the
// medians) and the results file all score through it.
struct ScoreRule {
    std::string_view key;                            // the sub-score key of the benchmark table
    std::array<ScoreInput, kMaxScoreInputs> inputs;  // unused ones have an empty step
    float (*score)(std::span<const double> figures);
    // Logged when the sub-score's box is ticked but a step it needs was not selected.
    std::array<std::string_view, 2> incomplete_note = {};

    std::span<const ScoreInput> used_inputs() const {
        std::size_t n = 0;
        while (n < inputs.size() && !inputs[n].step.empty()) ++n;
        return {inputs.data(), n};
    }
};

// The rule of a sub-score key (null for an unknown key).
const ScoreRule* find_score_rule(std::string_view key);
// The figures of a step that some sub-score reads, named figures before the headline.
std::vector<ScoreInput> inputs_of_step(std::string_view step);
// The rule applied to figures in input order; kNotMeasured unless it comes out positive and
// finite.
float apply_score_rule(const ScoreRule& rule, std::span<const double> figures);

// A figure the formulas may divide by: positive and finite. Anything else (a refused deck's
// time of 0, a stopped run, a missing figure) gives no score at all.
bool usable_figure(double value);

}  // namespace suite
