#include "suite/scores.h"

#include <cmath>

namespace suite {

float time_subscore(float reference, float time) {
    return (reference - time) / time * 1000.0f + 1000.0f;
}

float rate_subscore(float reference, float value) {
    return (value - reference) / reference * 1000.0f + 1000.0f;
}

float memory_subscore(float bandwidth_mbs, float latency_ns) {
    return 0.5f * (time_subscore(kRefMemoryLatencyNs, latency_ns) +
                   rate_subscore(kRefMemoryBandwidthMbs, bandwidth_mbs));
}

float md_subscore(float time_s) {
    return time_subscore(kRefMdTimeS, time_s);
}

float orbitra_subscore(float time_s) {
    return time_subscore(kRefOrbitraTimeS, time_s);
}

float cipher_subscore(double rate_mbs) {
    return static_cast<float>((rate_mbs - kRefCipherRateMbs) / kRefCipherRateMbs * 1000.0 + 1000.0);
}

float blas_subscore(float sgemm_mflops, float dgemm_mflops) {
    return 0.5f * (rate_subscore(kRefDgemmMflops, dgemm_mflops) +
                   rate_subscore(kRefSgemmMflops, sgemm_mflops));
}

bool usable_figure(double value) {
    return std::isfinite(value) && value > 0.0;
}

namespace {

// Every figure but the cipher rate is scored in single precision.
float f(double v) {
    return static_cast<float>(v);
}

constexpr ScoreRule kScoreRules[] = {
    {.key = "memory",
     .inputs = {{{.step = "memory"},
                 {.step = "memory", .figure = "latency_ns", .noun = "latency "}}},
     .score = [](std::span<const double> v) { return memory_subscore(f(v[0]), f(v[1])); }},
    {.key = "stream",
     .inputs = {{{.step = "stream"}}},
     .score = [](std::span<const double> v) { return f(v[0]); }},
    {.key = "md",
     .inputs = {{{.step = "md"}}},
     .score = [](std::span<const double> v) { return md_subscore(f(v[0])); }},
    {.key = "orbitra",
     .inputs = {{{.step = "orbitra"}}},
     .score = [](std::span<const double> v) { return orbitra_subscore(f(v[0])); }},
    {.key = "cipher",
     .inputs = {{{.step = "cipher"}}},
     .score = [](std::span<const double> v) { return cipher_subscore(v[0]); }},
    {.key = "blas",
     .inputs = {{{.step = "sgemm"}, {.step = "dgemm"}}},
     .score = [](std::span<const double> v) { return blas_subscore(f(v[0]), f(v[1])); },
     .incomplete_note = {"BLAS Lumetra score is a combination of both an SGEMM and DGEMM run. In "
                         "order to calculate a score,",
                         "run both -sgemm and -dgemm from the command line."}},
};

}  // namespace

const ScoreRule* find_score_rule(std::string_view key) {
    for (const ScoreRule& r : kScoreRules)
        if (r.key == key) return &r;
    return nullptr;
}

std::vector<ScoreInput> inputs_of_step(std::string_view step) {
    std::vector<ScoreInput> out;
    for (const ScoreRule& r : kScoreRules)
        for (const ScoreInput& in : r.used_inputs())
            if (in.step == step) out.insert(in.figure.empty() ? out.end() : out.begin(), in);
    return out;
}

float apply_score_rule(const ScoreRule& rule, std::span<const double> figures) {
    if (figures.size() != rule.used_inputs().size()) return kNotMeasured;
    const float s = rule.score(figures);
    return s > 0.0f && std::isfinite(s) ? s : kNotMeasured;
}

}  // namespace suite
