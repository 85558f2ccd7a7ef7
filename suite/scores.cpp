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

}  // namespace suite
