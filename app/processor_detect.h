// Processor detection: decodes CPUID into processor_info(), reads the counter frequency and
// writes the start-up report. The registers, the counts and the frequency come in through
// DetectionInputs, so tests run the whole report from recorded values.
#pragma once

#include <string>

#include "app/cpuid.h"
#include "app/processor_info.h"

namespace app {

// Fills vendor, brand and flags (the reported ones and avx, avx2, fma, aesni) from `cpuid`.
// All flags start at 0; missing leaves leave their flags at 0.
void DetectCpuFeatures(CpuidSource& cpuid, ProcessorInfo& info);

// Stores the counter frequency, the clock rate (single precision MHz) and its wide copy.
void QueryClockRate(double counter_frequency, ProcessorInfo& info);

struct DetectionInputs {
    CpuidSource* cpuid = nullptr;  // null: the processor's own CPUID
    int processor_count = 0;       // 0: processor_count() of app/thread.h
    int physical_count = 0;        // 0: physical_processor_count() (operating-system topology)
    double counter_frequency = 0;  // 0: counter_frequency() of app/counter.h
    bool use_threads = true;       // run each query on a thread bound to its processor
};

// Runs detection into `info` and returns the report: one "vendor \r\nbrand\r\n" and
// "%f MHz\r\n" group per processor, then the instruction-set lines. Sets the logical count to
// 1 without hyper-threading and the physical count from the topology (never below 1). Only the
// first 16 processors get an entry of the per-processor clock table.
std::string detect_processors(ProcessorInfo& info, const DetectionInputs& inputs = {});

}  // namespace app
