#include "membench/memory_run.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "app/console.h"
#include "app/format.h"
#include "app/interrupt.h"
#include "membench/copy_kernels.h"

namespace membench {
namespace {

std::mutex g_tables_mutex;
MemoryResults g_tables;

void publish(const MemoryResults& results) {
    std::lock_guard lock(g_tables_mutex);
    g_tables = results;
}

void* system_allocate(std::size_t bytes) {
    // aligned_alloc wants a multiple of the alignment.
    return std::aligned_alloc(64, (bytes + 63) / 64 * 64);
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<void, FreeDeleter>;

void log_line(const std::string& text) {
    app::ConsoleLog(text + "\r\n");
}
void log_cursor(const std::string& text) {
    app::ConsoleLog(app::with_cursor(text));
}

// Steps 6 and 8: one line per slot that holds a figure or is not supported.
void log_cache_slots(const char* region, const BandwidthRow& row) {
    for (int slot = 0; slot < kMethodSlots; ++slot) {
        if (row[slot] > 0)
            log_cursor(app::strprintf("%s Method [%2d]:  %10.2f MB/s", region, slot, row[slot]));
        else if (row[slot] == kIsaNotSupported)
            log_cursor(app::strprintf("%s Method [%2d]:  ISA not supported.", region, slot));
    }
}

void log_latency_table(const LatencyTable& t) {
    app::ConsoleLog("             ");
    for (int j = 1; j < kLatencyColumns - 1; ++j)
        app::ConsoleLog(app::strprintf("%4d     ", t[0][j]));
    app::ConsoleLog(app::strprintf("%4d   \r\n", t[0][kLatencyColumns - 1]));
    for (int r = 1; r < kLatencyRows; ++r) {
        app::ConsoleLog(app::strprintf("%8d     ", t[r][0]));
        for (int j = 1; j < kLatencyColumns - 1; ++j)
            app::ConsoleLog(app::strprintf("%4d     ", t[r][j]));
        app::ConsoleLog(app::strprintf("%4d  \r\n", t[r][kLatencyColumns - 1]));
    }
}

void log_latency_rows(const char* label, const LatencyTable& t, int row, double mhz) {
    static constexpr int kColumns[] = {1, 3, 5, 7, 8};
    static constexpr int kStrides[] = {4, 16, 64, 256, 512};
    for (int i = 0; i < 5; ++i) {
        const int cycles = t[row][kColumns[i]];
        log_line(app::strprintf("%s Latency: %d cycles / %.2f ns / %d byte stride", label, cycles,
                                cycles_to_ns(cycles, mhz), kStrides[i]));
    }
}

// A block never runs past its buffer; sizes stay whole SSE steps.
int clamp_block(long block, std::size_t buffer_bytes) {
    const long limit = static_cast<long>(buffer_bytes / kSseStepBytes * kSseStepBytes);
    return static_cast<int>(block < limit ? block : limit);
}

}  // namespace

int l2_latency_row(int l2_size_kb) {
    switch (l2_size_kb) {
        case 128:
            return 5;
        case 256:
            return 6;
        case 512:
            return 7;
        default:
            return 6;
    }
}

float l2_block_kb(float l1_size, float l2_size) {
    // A second-level cache no larger than the first gets one and a half first-level sizes.
    if (2.0f * l1_size >= l1_size + l2_size) return 1.5f * l1_size;
    return 2.0f * l1_size;
}

MemoryResults memory_results() {
    std::lock_guard lock(g_tables_mutex);
    return g_tables;
}

// After a measurement a signal cut short: the run ends here with what it has not published.
static bool interrupted(MemoryRunOutcome& out) {
    if (!app::interrupt_requested()) return false;
    out.interrupted = true;
    out.error = "Benchmark interrupted.";
    log_cursor(out.error);
    return true;
}

MemoryRunOutcome run_memory_benchmark(const MemoryRunInput& input, app::RunRecord* record) {
    MemoryRunOutcome out;
    const MemoryRunSizes& sz = input.sizes;
    auto progress = [&](const char* phase, long pos, long range) {
        if (record) record->set_progress(phase, pos, range);
    };

    float l1_size = input.l1_size;
    float l2_size = input.l2_size;

    // Every buffer is taken before the first line, so a failure leaves nothing half done.
    void* (*allocate)(std::size_t) = sz.allocate ? sz.allocate : system_allocate;
    Buffer a(allocate(sz.buffer_bytes));
    Buffer b(allocate(sz.buffer_bytes));
    const std::size_t chain_count = chain_entries(sz.latency.rows);
    Buffer chain(allocate(chain_count * sizeof(uint32_t)));
    if (!a || !b || !chain) {
        out.error = app::strprintf("Error: Could not allocate %zu bytes for the memory tests.",
                                   sz.buffer_bytes);
        log_cursor(out.error);
        return out;
    }
    // Both copy buffers hold data in every page before the first copy is timed (the stride
    // chain and the random chase write theirs before timing too).
    prepare_copy_buffers(a.get(), b.get(), sz.buffer_bytes);

    // A decoder that found no first-level data cache would give empty regions, and every
    // kernel runs at least one step: test the generic sizes instead.
    if (static_cast<int>(l1_size * 0.25f * 1024.0f) < kSseStepBytes) {
        l1_size = 32.0f;
        l2_size = 128.0f;
        log_cursor(
            "Warning: cache sizes not detected, testing the generic sizes (L1 32KB, L2 128KB).");
    }

    MemoryResults& res = out.results;
    res = memory_results();  // slots a run does not write keep their values

    progress("L1 bandwidth", 1, 4);
    const int l1_block = clamp_block(static_cast<long>(l1_size * 0.25f * 1024.0f), sz.buffer_bytes);
    log_cursor(app::strprintf("L1 : Testing over %d bytes", l1_block));
    res.l1_best = measure_bandwidth(static_cast<float>(l1_block), sz.l1_repetitions, a.get(),
                                    b.get(), res.bandwidth[kRegionL1], input.isa);
    log_cache_slots("L1", res.bandwidth[kRegionL1]);

    if (interrupted(out)) return out;
    progress("L2 bandwidth", 2, 4);
    const float l2_kb = l2_block_kb(l1_size, l2_size);
    const int l2_shown = static_cast<int>(l2_kb) * 1024;
    log_cursor(app::strprintf("L2 : Testing over %d bytes", l2_shown));
    const int l2_block = clamp_block(static_cast<long>(l2_kb * 1024.0f), sz.buffer_bytes);
    res.l2_best = measure_bandwidth(static_cast<float>(l2_block), sz.l2_repetitions, a.get(),
                                    b.get(), res.bandwidth[kRegionL2], input.isa);
    log_cache_slots("L2", res.bandwidth[kRegionL2]);

    if (interrupted(out)) return out;
    progress("Memory bandwidth", 3, 4);
    log_cursor(app::strprintf("Mem: Testing over %d bytes", sz.memory_block));
    const int mem_block = clamp_block(sz.memory_block, sz.buffer_bytes);
    res.memory_best = measure_bandwidth(static_cast<float>(mem_block), sz.memory_repetitions,
                                        a.get(), b.get(), res.bandwidth[kRegionMemory], input.isa);
    for (int slot = 0; slot < kMethodSlots; ++slot)
        log_cursor(app::strprintf("Mem Method [%2d]: %10.2f MB/s", slot,
                                  res.bandwidth[kRegionMemory][slot]));

    if (interrupted(out)) return out;
    log_cursor("Testing cache latency...");
    progress("Latency", 0, sz.latency.rows);
    measure_latency(res.latency, input.mhz, static_cast<uint32_t*>(chain.get()), sz.latency,
                    [&](int row) { progress("Latency", row, sz.latency.rows); });
    log_latency_table(res.latency);

    if (interrupted(out)) return out;
    log_line(app::strprintf("L1  BW: %.2f MB/s", res.l1_best));
    log_line(app::strprintf("L2  BW: %.2f MB/s", res.l2_best));
    log_line(app::strprintf("Mem BW: %.2f MB/s", res.memory_best));

    const int l1_cycles = res.latency[1][4];
    log_line(app::strprintf("L1  Latency: %d cycles / %.2f ns / 32 byte stride", l1_cycles,
                            cycles_to_ns(l1_cycles, input.mhz)));
    log_latency_rows("L2 ", res.latency, l2_latency_row(input.l2_size_for_latency), input.mhz);
    log_latency_rows("Mem", res.latency, 13, input.mhz);
    log_cursor("Finished testing latency.");

    // The random-order chase comes after every line above, so their figures are as before.
    std::size_t llc = sz.random_chase_max_bytes / 4;
    if (llc == 0) {
        llc = last_level_cache_bytes();
        if (llc == 0) llc = static_cast<std::size_t>(l2_size) * 1024;
    }
    if (interrupted(out)) return out;
    const std::vector<std::size_t> chase_sizes = random_chase_sizes(llc);
    progress("Random access latency", 0, static_cast<long>(chase_sizes.size()));
    res.random_latency = measure_random_latency(chase_sizes, input.mhz);
    for (const RandomLatencyRow& row : res.random_latency)
        log_line(app::strprintf("Random access latency %7zu KB: %8.2f ns / %7.1f cycles",
                                row.bytes / 1024, row.ns, row.cycles));
    // Which page size backed the chase, and which figures swung between their repeats.
    if (!res.random_latency.empty() && res.random_latency.back().page_bytes > 0)
        log_line(app::strprintf("Random access latency page size: %zu KB",
                                res.random_latency.back().page_bytes / 1024));
    for (const RandomLatencyRow& row : res.random_latency)
        if (unsteady(row))
            log_line(app::strprintf(
                "Random access latency %7zu KB: repeats spread %.1f%% (above %.0f%%: unsteady)",
                row.bytes / 1024, row.spread_percent, kUnsteadySpreadPercent));
    if (interrupted(out)) return out;

    publish(res);
    app::console().changed_event().set();
    out.ok = true;
    return out;
}

nlohmann::json memory_figures(const MemoryResults& r, double mhz) {
    nlohmann::json bw = nlohmann::json::array();
    for (const BandwidthRow& row : r.bandwidth) bw.push_back(row);
    nlohmann::json lat = nlohmann::json::array();
    for (const auto& row : r.latency) lat.push_back(row);
    const float latency_ns = static_cast<float>(cycles_to_ns(r.latency[13][8], mhz));
    return {{"bandwidth_mbs", r.memory_best},
            {"latency_ns", latency_ns},
            {"bests", {{"l1", r.l1_best}, {"l2", r.l2_best}, {"memory", r.memory_best}}},
            {"bandwidth_table", bw},
            {"latency_table", lat},
            {"random_latency", random_latency_json(r.random_latency)}};
}

}  // namespace membench
