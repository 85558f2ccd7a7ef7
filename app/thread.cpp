#include "app/thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace app {
namespace {

std::vector<int> allowed_cpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    std::vector<int> cpus;
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        for (int c = 0; c < CPU_SETSIZE; ++c)
            if (CPU_ISSET(c, &set)) cpus.push_back(c);
    }
    if (cpus.empty()) cpus.push_back(0);
    return cpus;
}

const std::vector<int>& cached_cpus() {
    static const std::vector<int> cpus = allowed_cpus();
    return cpus;
}

// sched_getaffinity reads the calling thread's mask, so the set is taken at program load,
// before any code pins the main thread to one processor.
[[maybe_unused]] const bool g_cpus_read_at_load = !cached_cpus().empty();

// Core identity of a CPU from sysfs: (package, core); unknown topology gives the CPU itself.
std::pair<long, long> core_of(int cpu) {
    const std::string base = "/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/topology/";
    long pkg = -1, core = -1;
    std::ifstream p(base + "physical_package_id");
    std::ifstream c(base + "core_id");
    if (!(p >> pkg) || !(c >> core)) return {-1, cpu};
    return {pkg, core};
}

}  // namespace

int processor_count() {
    return static_cast<int>(cached_cpus().size());
}

int allowed_cpu(int index) {
    const auto& cpus = cached_cpus();
    const int n = static_cast<int>(cpus.size());
    return cpus[static_cast<std::size_t>(((index % n) + n) % n)];
}

std::vector<int> one_processor_per_core() {
    std::vector<int> out;
    std::set<std::pair<long, long>> seen;
    const auto& cpus = cached_cpus();
    for (std::size_t i = 0; i < cpus.size(); ++i)
        if (seen.insert(core_of(cpus[i])).second) out.push_back(static_cast<int>(i));
    if (out.empty()) out.push_back(0);
    return out;
}

int physical_processor_count() {
    static const int n = static_cast<int>(one_processor_per_core().size());
    return std::max(n, 1);
}

struct Thread::State {
    pthread_t handle{};
    bool created = false;
    bool joined = false;
    std::mutex mutex;
    std::condition_variable cv;
    bool go = false;
    bool cancelled = false;  // destroyed before it was ever resumed: the body never runs
    pid_t tid = 0;           // known once the thread runs
    std::function<void()> body;
    Priority priority = Priority::Normal;
};

namespace {

// Raising priority means a lower nice value, which needs CAP_SYS_NICE; without it the call
// fails and the thread runs at normal priority. A thread is never made nicer than it started,
// which an unprivileged process could not undo.
bool apply_priority(pid_t tid, Priority p) {
    if (p == Priority::Normal) return true;
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (current == -1 && errno != 0) return false;
    const int wanted = p == Priority::Highest ? -2 : -1;
    if (wanted >= current) return true;
    return setpriority(PRIO_PROCESS, static_cast<id_t>(tid), wanted) == 0;
}

pid_t current_tid() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

// A new thread starts with its creator's vector registers. When the creator left the upper
// halves of the AVX registers in use (a toolkit's drawing code does), every plain SSE instruction
// of the new thread pays a merge penalty on recent processors: the Orbitra run in the window
// took several times as long as on the command line. Start every thread from a clean state.
__attribute__((target("avx"))) void clear_upper_vector_state() {
    asm volatile("vzeroupper");
}

void* thread_entry(void* arg) {
    if (__builtin_cpu_supports("avx")) clear_upper_vector_state();
    auto* st = static_cast<Thread::State*>(arg);
    Priority priority;
    {
        std::unique_lock lock(st->mutex);
        st->tid = current_tid();
        st->cv.notify_all();
        st->cv.wait(lock, [st] { return st->go; });
        if (st->cancelled) return nullptr;
        priority = st->priority;
    }
    apply_priority(current_tid(), priority);
    if (st->body) st->body();
    return nullptr;
}

}  // namespace

Thread::Thread() = default;

Thread::~Thread() {
    if (state_ && state_->created) {
        std::lock_guard lock(state_->mutex);
        if (!state_->go) state_->cancelled = true;
    }
    join();
}

namespace {
std::atomic<int> g_refused_creations{0};
}  // namespace

void refuse_thread_creations(int count) {
    g_refused_creations.store(count);
}

bool Thread::create_suspended(std::function<void()> body, std::size_t stack_size) {
    join();
    for (int n = g_refused_creations.load(); n > 0;)
        if (g_refused_creations.compare_exchange_weak(n, n - 1)) return false;
    state_ = std::make_unique<State>();
    state_->body = std::move(body);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    if (stack_size != 0) {
        const long min_stack = sysconf(_SC_THREAD_STACK_MIN);
        std::size_t size = std::max<std::size_t>(stack_size, min_stack > 0 ? min_stack : 16384);
        // The sanitizers and the C library's own frames need far more than a bare minimum.
        size = std::max<std::size_t>(size, kMinThreadStack);
        // Whole pages: some C libraries refuse anything else.
        const long page = sysconf(_SC_PAGESIZE);
        if (page > 0) size = (size + page - 1) / page * page;
        if (pthread_attr_setstacksize(&attr, size) != 0) {
            pthread_attr_destroy(&attr);
            pthread_attr_init(&attr);  // the default stack, rather than no thread
        }
    }
    const int rc = pthread_create(&state_->handle, &attr, thread_entry, state_.get());
    pthread_attr_destroy(&attr);
    state_->created = rc == 0;
    if (!state_->created) state_.reset();
    return rc == 0;
}

bool Thread::set_affinity(int index) {
    if (!state_ || !state_->created || state_->joined) return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(allowed_cpu(index), &set);
    return pthread_setaffinity_np(state_->handle, sizeof(set), &set) == 0;
}

bool Thread::set_priority(Priority p) {
    if (!state_ || !state_->created || state_->joined) return false;
    std::unique_lock lock(state_->mutex);
    state_->priority = p;
    if (!state_->go) return true;  // the thread applies it itself when it starts
    state_->cv.wait(lock, [this] { return state_->tid != 0; });
    return apply_priority(state_->tid, p);
}

void Thread::resume() {
    if (!state_ || !state_->created) return;
    {
        std::lock_guard lock(state_->mutex);
        state_->go = true;
    }
    state_->cv.notify_all();
}

void Thread::join() {
    if (!state_ || !state_->created || state_->joined) return;
    if (!state_->go) resume();
    pthread_join(state_->handle, nullptr);
    state_->joined = true;
}

bool Thread::joinable() const {
    return state_ && state_->created && !state_->joined;
}

bool set_current_thread_priority(Priority p) {
    return apply_priority(current_tid(), p);
}

bool pin_current_thread(int index) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(allowed_cpu(index), &set);
    return pthread_setaffinity_np(pthread_self(), sizeof(set), &set) == 0;
}

}  // namespace app
