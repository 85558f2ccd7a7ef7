// The processor's first- and second-level caches as the memory benchmarks see them: sizes,
// lines, associativities and the texts the Memory Benchmarks dialog shows. Decoding is a pure
// function of CPUID register values, so tests feed recorded registers through a CpuidSource.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "app/cpuid.h"

namespace membench {

struct CacheInfo {
    int l1_code_size = 0;  // KB; thousands of micro-operations for a trace cache
    int l1_data_size = 0;  // KB
    int trace_cache = 0;   // 1 when the L1 code cache is a trace cache
    int l1_data_line = 0;  // bytes
    int l1_code_line = 0;  // bytes (0 for a trace cache)
    int l2_size = 0;       // KB (0 when there is none)
    int l2_line = 0;       // bytes

    std::string l1_code_assoc_text, l1_code_line_text, l1_code_size_text;
    std::string l1_data_assoc_text, l1_data_line_text, l1_data_size_text;
    std::string l2_assoc_text, l2_line_text, l2_size_text;
};

inline constexpr const char* kCacheProblemCaption = "CPU Cache detection problem";
inline constexpr const char* kCacheProblemText =
    "Unable to detect your CPU cache type. Memory tests will default to generic tests.";

// Leaf 2 descriptors, completed from leaf 4 when the processor answers with descriptor 0xFF.
void decode_intel_caches(app::CpuidSource& cpuid, CacheInfo& info);
// Extended leaves 0x80000005 and 0x80000006.
void decode_amd_caches(app::CpuidSource& cpuid, CacheInfo& info);
// The generic sizes for a processor no decoder knows (texts stay as they are).
void apply_generic_caches(CacheInfo& info);

// Chooses the decoder from the 12-character vendor text (compared with its terminator, so a
// longer or shorter text never matches). Returns false when the fallback was used; the caller
// then shows the "CPU Cache detection problem" box.
bool detect_caches(const char* vendor, app::CpuidSource& cpuid, CacheInfo& info);

// The cache record as the run record and the results file carry it.
nlohmann::json cache_to_json(const CacheInfo& info);

}  // namespace membench
