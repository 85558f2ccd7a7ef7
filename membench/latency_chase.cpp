// The chase loop is the measurement: one load per step whose address is the previous load's
// value, the index kept in a register, nothing else touching memory. Written in assembly so
// no compiler can vectorise, reorder or drop it.
#include <cstdint>

#include "membench/latency.h"

namespace membench {

uint32_t chase_chain(long passes, long steps, const uint32_t* chain) {
    uint64_t index = 0;
    if (steps <= 0) return 0;
    for (long p = 0; p < passes; ++p) {
        index = 0;
        long n = steps;
        asm volatile(
            "1:\n\t"
            "movl (%[chain],%[index],4), %k[index]\n\t"
            "decq %[n]\n\t"
            "jnz 1b\n\t"
            : [index] "+r"(index), [n] "+r"(n)
            : [chain] "r"(chain)
            : "memory", "cc");
    }
    return static_cast<uint32_t>(index);
}

}  // namespace membench
