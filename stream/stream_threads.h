// The STREAM threads: per-thread arrays and timing slots, and the operation that runs one
// thread body on every thread at once and waits for all of them (the barrier between
// kernels). At most sixteen threads, each with its own manual-reset completion event.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "app/event.h"
#include "app/thread.h"

namespace stream {

inline constexpr int kMaxThreads = 16;
// Threads 0-7 are pinned; the rest run wherever the system puts them.
inline constexpr int kPinnedThreads = 8;
inline constexpr std::size_t kThreadStack = 16384;

// The thread count for a number of physical processors: at least 1, at most 16.
int stream_thread_count(int physical_processors);

using Allocator = void* (*)(std::size_t bytes);

class StreamThreads {
  public:
    // `count` threads (clamped to 1..16), arrays of `n` doubles each, timing slots for
    // `iterations` iterations of the four kernels. Events are created here, not signalled.
    StreamThreads(int count, long n, int iterations, Allocator allocate = nullptr);
    ~StreamThreads();
    StreamThreads(const StreamThreads&) = delete;
    StreamThreads& operator=(const StreamThreads&) = delete;

    int count() const { return count_; }
    long n() const { return n_; }

    // Runs body(t) on thread t for every thread, each signalling its event when done, and
    // waits for every event. False when a thread could not be created (the others still run
    // and are waited for).
    bool run_on_all(const std::function<void(int)>& body);

    // Thread bodies.
    void init(int t);     // allocate A, B, C; A = 1, B = 2, C = 0
    void cleanup(int t);  // release A, B, C
    bool allocated(int t) const { return slots_[t].a && slots_[t].b && slots_[t].c; }

    double* a(int t) { return slots_[t].a.get(); }
    double* b(int t) { return slots_[t].b.get(); }
    double* c(int t) { return slots_[t].c.get(); }
    // Thread t's timing slot for iteration k and kernel j.
    double& time(int t, int k, int j) {
        return slots_[t].times[static_cast<std::size_t>(k) * 4 + static_cast<std::size_t>(j)];
    }

  private:
    struct FreeDeleter {
        void operator()(double* p) const;
    };
    using Array = std::unique_ptr<double, FreeDeleter>;
    struct Slot {
        Array a, b, c;
        std::vector<double> times;
    };

    double* allocate_array();

    int count_;
    long n_;
    Allocator allocate_;
    std::array<Slot, kMaxThreads> slots_;
    std::array<std::unique_ptr<app::Event>, kMaxThreads> events_;
    std::array<app::Thread, kMaxThreads> threads_;
    std::vector<int> cores_;
};

}  // namespace stream
