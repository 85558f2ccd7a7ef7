// Memory-run sizes small enough for a test: a 256 KiB buffer, a few repetitions, two latency
// rows and a short random chase.
#pragma once

#include "membench/memory_run.h"

namespace testing_support {

inline membench::MemoryRunSizes small_memory_run() {
    membench::MemoryRunSizes s;
    s.buffer_bytes = 256 * 1024;
    s.l1_repetitions = 3;
    s.l2_repetitions = s.memory_repetitions = 2;
    s.memory_block = 128 * 1024;
    s.latency.rows = 2;
    s.latency.min_seconds = 1e-5;
    s.random_chase_max_bytes = 64 * 1024;
    return s;
}

}  // namespace testing_support
