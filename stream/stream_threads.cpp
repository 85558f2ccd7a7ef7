#include "stream/stream_threads.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace stream {

int stream_thread_count(int physical_processors) {
    return std::clamp(physical_processors, 1, kMaxThreads);
}

void StreamThreads::FreeDeleter::operator()(double* p) const {
    std::free(p);
}

StreamThreads::StreamThreads(int count, long n, int iterations, Allocator allocate)
    : count_(stream_thread_count(count)),
      n_(n > 0 ? n : 0),
      allocate_(allocate),
      cores_(app::one_processor_per_core()) {
    for (int t = 0; t < kMaxThreads; ++t) {
        events_[t] = std::make_unique<app::Event>(app::Event::Reset::Manual);
        slots_[t].times.assign(static_cast<std::size_t>(std::max(iterations, 1)) * 4, 0.0);
    }
}

StreamThreads::~StreamThreads() {
    for (app::Thread& th : threads_) th.join();
}

double* StreamThreads::allocate_array() {
    // One cache line of padding: the block form's touch pass reads the line after the last
    // whole block, which is past the end when n is a multiple of the block.
    const std::size_t bytes = (static_cast<std::size_t>(n_) * sizeof(double) + 64 + 63) / 64 * 64;
    void* p = allocate_ ? allocate_(bytes) : std::aligned_alloc(64, bytes);
    return static_cast<double*>(p);
}

void StreamThreads::init(int t) {
    Slot& s = slots_[t];
    s.a.reset(allocate_array());
    s.b.reset(allocate_array());
    s.c.reset(allocate_array());
    if (!allocated(t)) {
        cleanup(t);
        return;
    }
    double* a = s.a.get();
    double* b = s.b.get();
    double* c = s.c.get();
    long i = 0;
    for (; i + 10 <= n_; i += 10) {
        for (int u = 0; u < 10; ++u) {
            a[i + u] = 1.0;
            b[i + u] = 2.0;
            c[i + u] = 0.0;
        }
    }
    for (; i < n_; ++i) {
        a[i] = 1.0;
        b[i] = 2.0;
        c[i] = 0.0;
    }
    // The padding too: the block form's touch pass reads its first line, and nothing a kernel
    // reads is left to the system's shared zero page.
    for (long p = n_; p < n_ + 8; ++p) a[p] = b[p] = c[p] = 0.0;
}

void StreamThreads::cleanup(int t) {
    slots_[t].a.reset();
    slots_[t].b.reset();
    slots_[t].c.reset();
}

bool StreamThreads::run_on_all(const std::function<void(int)>& body) {
    std::array<bool, kMaxThreads> created{};
    for (int t = 0; t < count_; ++t) {
        events_[t]->reset();
        app::Event* done = events_[t].get();
        created[t] = threads_[t].create_suspended(
            [&body, t, done] {
                body(t);
                done->set();
            },
            kThreadStack);
        if (!created[t]) continue;
        threads_[t].set_priority(app::Priority::Normal);
        // Our choice: each of the first eight threads gets a logical processor of a core of
        // its own. A plain "thread t on processor t" would put two threads on one core on a
        // machine with two hardware threads per core, and measure that core's share twice.
        if (t < kPinnedThreads && t < static_cast<int>(cores_.size()))
            threads_[t].set_affinity(cores_[static_cast<std::size_t>(t)]);
    }
    // The caller does not raise or lower its own priority around the start: without
    // privileges a lowered thread could never be raised again. It only steps aside.
    for (int t = 0; t < count_; ++t)
        if (created[t]) threads_[t].resume();
    std::this_thread::yield();
    bool all = true;
    for (int t = 0; t < count_; ++t) {
        if (created[t])
            events_[t]->wait();
        else
            all = false;
    }
    for (int t = 0; t < count_; ++t) threads_[t].join();
    return all;
}

}  // namespace stream
