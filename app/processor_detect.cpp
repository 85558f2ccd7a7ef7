#include "app/processor_detect.h"

namespace app {

void DetectCpuFeatures(CpuidSource& cpuid, ProcessorInfo& info) {
    (void)cpuid;
    (void)info;
}

void QueryClockRate(double counter_frequency, ProcessorInfo& info) {
    info.counter_frequency = counter_frequency;
    info.clock_rate = static_cast<float>(counter_frequency / 1e6);
    info.clock_rate_wide = info.clock_rate;
}

std::string detect_processors(ProcessorInfo& info, const DetectionInputs& inputs) {
    (void)info;
    (void)inputs;
    return {};
}

}  // namespace app
