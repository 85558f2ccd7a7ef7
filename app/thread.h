// Worker threads the way the benchmarks start them: created suspended, bound to a processor,
// given a priority, then resumed; joined by their owner (the destructor joins, so no thread
// outlives the object that owns its run). Affinity and priority are best effort, never fatal.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace app {

enum class Priority { Normal, AboveNormal, Highest };

// "Processor i" is the i-th CPU of the process's allowed set.
int processor_count();
// The operating-system CPU number of allowed processor i (i wrapped into range).
int allowed_cpu(int index);
// Distinct cores among the allowed processors (never below 1).
int physical_processor_count();
// One allowed processor per distinct core, in processor order (never empty).
std::vector<int> one_processor_per_core();

// Smallest stack a thread gets when a size is asked for.
inline constexpr std::size_t kMinThreadStack = 256 * 1024;

class Thread {
  public:
    struct State;

    Thread();
    ~Thread();  // joins; a thread never resumed ends without running its body
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Creates the thread; it runs `body` only after resume(). stack_size 0 = default; smaller
    // values are raised to the system minimum. Returns false when no thread could be made.
    [[nodiscard]] bool create_suspended(std::function<void()> body, std::size_t stack_size = 0);
    // Restricts the thread to allowed processor `index` (bound to that one CPU).
    bool set_affinity(int index);
    // Prefers a processor without restricting it: on Linux the same as a one-CPU affinity
    // set for the detection threads that use it.
    bool set_ideal_processor(int index) { return set_affinity(index); }
    // Best effort, before or after resume(): raising priority needs privileges most users
    // lack; failures are ignored and a thread is never lowered below where it started.
    bool set_priority(Priority p);
    void resume();
    void join();
    bool joinable() const;

    // Convenience: create, resume.
    [[nodiscard]] bool start(std::function<void()> body, std::size_t stack_size = 0) {
        if (!create_suspended(std::move(body), stack_size)) return false;
        resume();
        return true;
    }

  private:
    std::unique_ptr<State> state_;
};

// Test hook: the next `count` thread creations fail as if the system refused them.
void refuse_thread_creations(int count);

// The same for the calling thread.
bool set_current_thread_priority(Priority p);

// Pins the calling thread to allowed processor `index` (best effort).
bool pin_current_thread(int index);

}  // namespace app
