/* Random-chase peer: one random cycle over SIZE bytes of 64-byte lines (indices, a
 * Fisher-Yates order from its own generator, each line pointing at the next in that order),
 * one dependent load per line. Prints the fastest of REPEATS timed passes in ns per load and
 * the spread of the passes ((slowest - fastest) / fastest, percent).
 *
 *   chase_peer SIZE [REPEATS] [huge|small]   huge: ask for transparent huge pages (madvise) */
#define _GNU_SOURCE
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>

struct line {
    uint64_t next;
    char pad[56];
};

static uint64_t rng_state = 0x2545F4914F6CDD1Dull;
static uint64_t xorshift(void) {
    rng_state ^= rng_state << 13;
    rng_state ^= rng_state >> 7;
    rng_state ^= rng_state << 17;
    return rng_state;
}

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + 1e-9 * (double)ts.tv_nsec;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: chase_peer SIZE [REPEATS] [huge|small]\n");
        return 2;
    }
    const size_t count = strtoull(argv[1], NULL, 10) / sizeof(struct line);
    const int repeats = argc > 2 ? atoi(argv[2]) : 3;
    const int huge = argc > 3 && strcmp(argv[3], "huge") == 0;
    const size_t bytes = (count * sizeof(struct line) + (2u << 20) - 1) / (2u << 20) * (2u << 20);
    struct line* lines = aligned_alloc(2u << 20, bytes);
    uint64_t* order = malloc(count * sizeof *order);
    if (!lines || !order || count < 2 || repeats < 1) return 2;
    if (huge) madvise(lines, bytes, MADV_HUGEPAGE);
    memset(lines, 0, bytes);
    for (size_t i = 0; i < count; ++i) order[i] = i;
    for (size_t i = count - 1; i > 0; --i) {
        const size_t j = (size_t)(xorshift() % (i + 1));
        const uint64_t t = order[i];
        order[i] = order[j];
        order[j] = t;
    }
    for (size_t i = 0; i < count; ++i) lines[order[i]].next = order[(i + 1) % count];
    free(order);
    /* At least 2^21 loads per pass, whole cycles. */
    const size_t cycles = count >= (1u << 21) ? 1 : (1u << 21) / count;
    const size_t loads = cycles * count;
    uint64_t at = 0;
    for (size_t k = 0; k < count; ++k) at = lines[at].next;
    double best = 0, worst = 0;
    for (int r = 0; r < repeats; ++r) {
        const double t0 = now();
        for (size_t k = 0; k < loads; ++k) at = lines[at].next;
        const double ns = (now() - t0) * 1e9 / (double)loads;
        if (r == 0 || ns < best) best = ns;
        if (ns > worst) worst = ns;
    }
    printf("%.3f %.1f %llu\n", best, (worst - best) / best * 100.0, (unsigned long long)at % 2);
    free(lines);
    return 0;
}
