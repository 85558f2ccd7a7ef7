#include "app/headless_host.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/console.h"
#include "app/format.h"
#include "app/interrupt.h"
#include "app/message_sink.h"

namespace app {
namespace {

using Clock = std::chrono::steady_clock;

// The timers and open dialogs of one thread's loop.
struct TimerEntry {
    HeadlessHost* owner;
    int id;
    std::chrono::milliseconds period;
    Clock::time_point due;
    bool in_handler;
};

struct Loop {
    std::vector<TimerEntry> timers;
    std::vector<HeadlessHost*> dialogs;  // outermost first
};

thread_local Loop t_loop;

// Runs one round: pending paints, then the earliest due timer. Returns the time the caller
// may sleep until.
Clock::time_point dispatch_once() {
    Loop& loop = t_loop;
    // A paint may open nested runs that change the list, so walk a copy.
    const std::vector<HeadlessHost*> dialogs = loop.dialogs;
    // An interrupt goes to the innermost dialog only: that is the run in progress, and the
    // dialogs around it (the suite) see the request once it has ended.
    if (!dialogs.empty()) dialogs.back()->stop_if_interrupted();
    for (HeadlessHost* d : dialogs)
        if (std::find(loop.dialogs.begin(), loop.dialogs.end(), d) != loop.dialogs.end())
            d->paint_if_requested();

    const Clock::time_point now = Clock::now();
    TimerEntry* next = nullptr;
    for (TimerEntry& t : loop.timers) {
        if (t.in_handler || t.owner->ended()) continue;
        if (!next || t.due < next->due) next = &t;
    }
    if (!next) return now + std::chrono::milliseconds(50);
    if (next->due > now) return next->due;

    // Re-arm before the handler runs: a handler that overruns does not cause a burst.
    next->due = now + next->period;
    next->in_handler = true;
    HeadlessHost* owner = next->owner;
    const int id = next->id;
    owner->controller().on_timer(id);
    for (TimerEntry& t : loop.timers)
        if (t.owner == owner && t.id == id) t.in_handler = false;
    return Clock::now();
}

void sleep_until(Clock::time_point when) {
    const auto now = Clock::now();
    if (when <= now) return;
    // Never sleep long: a repaint or an end may have been requested by a handler.
    const auto limit = now + std::chrono::milliseconds(50);
    std::this_thread::sleep_until(std::min(when, limit));
}

}  // namespace

int HeadlessRunner::run_modal(RunController& controller) {
    HeadlessHost host(controller, *this);
    return host.run();
}

HeadlessHost::HeadlessHost(RunController& controller, HeadlessRunner& runner)
    : controller_(controller), runner_(runner) {}

HeadlessHost::~HeadlessHost() {
    Loop& loop = t_loop;
    std::erase_if(loop.timers, [this](const TimerEntry& t) { return t.owner == this; });
    std::erase(loop.dialogs, this);
}

int HeadlessHost::run() {
    Loop& loop = t_loop;
    loop.dialogs.push_back(this);
    controller_.attach(this);
    controller_.on_init();
    started_ = progress_at_ = Clock::now();
    repaint_requested_ = true;  // the first paint
    while (!ended_) {
        const auto dispatched_at = Clock::now();
        const auto next = dispatch_once();
        if (ended_) break;
        watch(dispatched_at);
        if (out_of_time()) break;
        sleep_until(next);
    }
    std::erase_if(loop.timers, [this](const TimerEntry& t) { return t.owner == this; });
    std::erase(loop.dialogs, this);
    return result_;
}

void HeadlessHost::watch(Clock::time_point dispatched_at) {
    const Clock::time_point now = Clock::now();
    const RunRecord& r = controller_.record();
    const RunProgress p = r.progress();
    std::string seen = std::string(run_status_name(r.status())) + '\n' + p.phase + '\n' +
                       std::to_string(p.position) + '/' + std::to_string(p.range);
    if (seen != progress_seen_ || now - dispatched_at > std::chrono::seconds(1)) {
        progress_seen_ = std::move(seen);
        progress_at_ = now;
    }
}

bool HeadlessHost::out_of_time() {
    const Clock::time_point now = Clock::now();
    if (runner_.watchdog.count() > 0 && now - progress_at_ > runner_.watchdog &&
        controller_.record().status() == RunStatus::Running) {
        const long minutes =
            std::chrono::duration_cast<std::chrono::minutes>(runner_.watchdog).count();
        const std::string line =
            minutes >= 1
                ? strprintf("Error: %s made no progress for %ld minutes; the run is abandoned.",
                            controller_.title().c_str(), minutes)
                : strprintf("Error: %s made no progress for %ld ms; the run is abandoned.",
                            controller_.title().c_str(),
                            static_cast<long>(runner_.watchdog.count()));
        ConsoleLog(with_cursor(line));
        controller_.record().fail(line);
        ended_ = true;
        result_ = HeadlessRunner::kRunTimedOut;
        return true;
    }
    if (runner_.time_limit.count() <= 0 || now - started_ <= runner_.time_limit) return false;
    ended_ = true;
    result_ = HeadlessRunner::kRunTimedOut;
    return true;
}

void HeadlessHost::stop_if_interrupted() {
    if (ended_ || !interrupt_requested() || !controller_.cancel_stops_run()) return;
    // Cancel again until the dialog ends: the first one stops the run, a later one closes a
    // dialog that stays open after a stop. Spaced out so a stop in progress is not rushed.
    const auto now = Clock::now();
    if (now < next_interrupt_cancel_) return;
    next_interrupt_cancel_ = now + kInterruptCancelPeriod;
    controller_.on_cancel();
}

void HeadlessHost::paint_if_requested() {
    if (!repaint_requested_ || ended_) return;
    repaint_requested_ = false;
    controller_.on_paint();
}

bool HeadlessHost::start_timer(int id, int period_ms) {
    if (runner_.failing_timers.count(id) != 0) return false;
    Loop& loop = t_loop;
    const auto period = std::chrono::milliseconds(std::max(period_ms, 1));
    for (TimerEntry& t : loop.timers) {
        if (t.owner == this && t.id == id) {
            t.period = period;
            t.due = Clock::now() + period;
            return true;
        }
    }
    loop.timers.push_back({this, id, period, Clock::now() + period, false});
    return true;
}

std::chrono::milliseconds HeadlessHost::timer_period(int id) const {
    for (const TimerEntry& t : t_loop.timers)
        if (t.owner == this && t.id == id) return t.period;
    return std::chrono::milliseconds(0);
}

void HeadlessHost::kill_timer(int id) {
    std::erase_if(t_loop.timers,
                  [&](const TimerEntry& t) { return t.owner == this && t.id == id; });
}

void HeadlessHost::message_box(std::string_view text, std::string_view title) {
    message_sink().message_box(text, title);
}

bool HeadlessHost::ask_yes_no(std::string_view text, std::string_view title) {
    // The interrupt already answered "stop the run?"; nobody is there to ask.
    if (interrupt_requested()) return true;
    return message_sink().ask_yes_no(text, title);
}

void HeadlessHost::end_dialog(int result) {
    if (ended_) return;
    ended_ = true;
    result_ = result;
}

void HeadlessHost::request_repaint() {
    repaint_requested_ = true;
}

int HeadlessHost::run_modal_box(const ModalBoxText& box) {
    (void)box;  // nothing to show without a window
    // Each box waits for its own end: ending an inner box never closes an outer one.
    const std::size_t depth = boxes_.size();
    boxes_.push_back({false, 0});
    while (!boxes_[depth].ended && !ended_ && !out_of_time()) {
        const auto dispatched_at = Clock::now();
        const auto next = dispatch_once();
        watch(dispatched_at);
        sleep_until(next);
    }
    const int result = boxes_[depth].result;
    boxes_.resize(depth);
    return result;
}

void HeadlessHost::end_modal_box(int result) {
    // The innermost box still open.
    for (auto it = boxes_.rbegin(); it != boxes_.rend(); ++it) {
        if (it->ended) continue;
        it->ended = true;
        it->result = result;
        return;
    }
}

namespace {
HeadlessRunner g_default_runner;
std::atomic<ModalRunner*> g_runner{nullptr};
}  // namespace

ModalRunner& modal_runner() {
    ModalRunner* r = g_runner.load(std::memory_order_acquire);
    return r ? *r : g_default_runner;
}

void set_modal_runner(ModalRunner* runner) {
    g_runner.store(runner, std::memory_order_release);
}

}  // namespace app
