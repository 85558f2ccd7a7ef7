#include "app/processor_info.h"

#include "app/counter.h"
#include "app/processor_detect.h"
#include "app/thread.h"

namespace app {

ProcessorInfo& processor_info() {
    // Filled from the processor on first use, so code that runs without the start-up (tests,
    // tools) still chooses kernels by the real flags; start-up detection rewrites it.
    static ProcessorInfo info = [] {
        ProcessorInfo i;
        DetectCpuFeatures(hardware_cpuid(), i);
        if (!i.hyperthreading) i.logical_per_package = 1;
        i.processor_count = static_cast<uint32_t>(processor_count());
        i.physical_processor_count = static_cast<uint32_t>(physical_processor_count());
        QueryClockRate(counter_frequency(), i);
        return i;
    }();
    return info;
}

}  // namespace app
