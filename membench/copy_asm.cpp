// String-move and general-register copies in inline assembly: what the processor does with
// them is the measurement, so no compiler may rewrite them.
#include "membench/copy_kernels.h"

#include <cstdint>

namespace membench {

void copy_rep_movsd(int size, int reps, const void* src, void* dst) {
    for (int r = 0; r < reps; ++r) {
        const void* s = src;
        void* d = dst;
        std::size_t n = static_cast<std::size_t>(size) / 4;
        asm volatile("rep movsl" : "+S"(s), "+D"(d), "+c"(n) : : "memory");
    }
}

void copy_rep_movsq(int size, int reps, const void* src, void* dst) {
    for (int r = 0; r < reps; ++r) {
        const void* s = src;
        void* d = dst;
        std::size_t n = static_cast<std::size_t>(size) / 8;
        asm volatile("rep movsq" : "+S"(s), "+D"(d), "+c"(n) : : "memory");
    }
}

void copy_alu_registers(int size, int reps, const void* src, void* dst) {
    const int64_t steps = size / kRegisterStepBytes;
    if (steps <= 0) return;
    const int64_t quads = steps * (kRegisterStepBytes / 8);
    const char* s_end = static_cast<const char*>(src) + quads * 8;
    char* d_end = static_cast<char*>(dst) + quads * 8;
    for (int r = 0; r < reps; ++r) {
        int64_t i = -quads;
        // Eight quadwords into eight registers, eight stores, then the next 64 bytes.
        asm volatile(
            "1:\n\t"
            "movq 0(%[s],%[i],8), %%r8\n\t"
            "movq 8(%[s],%[i],8), %%r9\n\t"
            "movq 16(%[s],%[i],8), %%r10\n\t"
            "movq 24(%[s],%[i],8), %%r11\n\t"
            "movq 32(%[s],%[i],8), %%r12\n\t"
            "movq 40(%[s],%[i],8), %%r13\n\t"
            "movq 48(%[s],%[i],8), %%r14\n\t"
            "movq 56(%[s],%[i],8), %%r15\n\t"
            "movq %%r8, 0(%[d],%[i],8)\n\t"
            "movq %%r9, 8(%[d],%[i],8)\n\t"
            "movq %%r10, 16(%[d],%[i],8)\n\t"
            "movq %%r11, 24(%[d],%[i],8)\n\t"
            "movq %%r12, 32(%[d],%[i],8)\n\t"
            "movq %%r13, 40(%[d],%[i],8)\n\t"
            "movq %%r14, 48(%[d],%[i],8)\n\t"
            "movq %%r15, 56(%[d],%[i],8)\n\t"
            "movq 64(%[s],%[i],8), %%r8\n\t"
            "movq 72(%[s],%[i],8), %%r9\n\t"
            "movq 80(%[s],%[i],8), %%r10\n\t"
            "movq 88(%[s],%[i],8), %%r11\n\t"
            "movq 96(%[s],%[i],8), %%r12\n\t"
            "movq 104(%[s],%[i],8), %%r13\n\t"
            "movq 112(%[s],%[i],8), %%r14\n\t"
            "movq 120(%[s],%[i],8), %%r15\n\t"
            "movq %%r8, 64(%[d],%[i],8)\n\t"
            "movq %%r9, 72(%[d],%[i],8)\n\t"
            "movq %%r10, 80(%[d],%[i],8)\n\t"
            "movq %%r11, 88(%[d],%[i],8)\n\t"
            "movq %%r12, 96(%[d],%[i],8)\n\t"
            "movq %%r13, 104(%[d],%[i],8)\n\t"
            "movq %%r14, 112(%[d],%[i],8)\n\t"
            "movq %%r15, 120(%[d],%[i],8)\n\t"
            "addq $16, %[i]\n\t"
            "js 1b\n\t"
            : [i] "+r"(i)
            : [s] "r"(s_end), [d] "r"(d_end)
            : "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15", "memory", "cc");
    }
}

}  // namespace membench
