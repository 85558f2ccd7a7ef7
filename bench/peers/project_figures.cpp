// The project's own figures where the command-line program cannot give them alone:
//   project_figures copy SIZE REPS   every copy method over SIZE bytes, as the memory run
//                                    measures a region; prints the best MiB/s and its method
//   project_figures stream           one STREAM run; prints the best MB/s of Copy, Scale, Add
//                                    and Triad (either pass) and the thread count
//   project_figures threads          the STREAM run's thread count
// A run that fails (a STREAM check included) exits non-zero.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/thread.h"
#include "membench/bandwidth.h"
#include "stream/stream_kernels.h"
#include "stream/stream_run.h"
#include "stream/stream_threads.h"

namespace {

int copy_figure(long size, float reps) {
    const std::size_t bytes = static_cast<std::size_t>(size) / 256 * 256;
    void* a = std::aligned_alloc(64, bytes + 256);
    void* b = std::aligned_alloc(64, bytes + 256);
    if (!a || !b || bytes == 0) return 2;
    membench::prepare_copy_buffers(a, b, bytes + 256);
    membench::BandwidthRow row{};
    const float best = membench::measure_bandwidth(static_cast<float>(bytes), reps, a, b, row,
                                                   membench::processor_copy_isa());
    int slot = 0;
    for (int s = 0; s < membench::kMethodCount; ++s)
        if (row[static_cast<std::size_t>(s)] == best) slot = s;
    std::printf("%.2f %s\n", static_cast<double>(best), membench::method_name(slot));
    std::free(a);
    std::free(b);
    return 0;
}

int stream_figures() {
    stream::StreamRunInput input;
    input.sse2 = stream::timed_forms_allowed();
    const stream::StreamOutcome out = stream::run_stream_benchmark(input, nullptr);
    if (!out.ok) {
        std::fprintf(stderr, "project_figures: %s\n", out.error.c_str());
        return 1;
    }
    for (const auto& kernel : out.rates) {
        double best = 0;
        for (double v : kernel) best = v > best ? v : best;
        std::printf("%.1f ", best);
    }
    std::printf("%d\n", out.threads);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "copy" && argc == 4)
        return copy_figure(std::atol(argv[2]), std::strtof(argv[3], nullptr));
    if (what == "stream" && argc == 2) return stream_figures();
    if (what == "threads" && argc == 2) {
        std::printf("%d\n", stream::stream_thread_count(app::physical_processor_count()));
        return 0;
    }
    std::fprintf(stderr, "usage: project_figures copy SIZE REPS | stream | threads\n");
    return 2;
}
