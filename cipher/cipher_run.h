// The cipher benchmark run: the run logic of the "Cipher Bench" dialog. A worker makes 100
// passes, each over a freshly allocated 16,000,000-byte buffer with a freshly loaded and
// expanded key; the dialog's 1 ms timer adds up laps and, when the worker is done, reports the
// time and the rate.
//
// Mode and contents: each pass encrypts its buffer in place in ECB mode (every 16-byte block
// on its own, as a block-cipher throughput test wants: no chaining dependence between blocks).
// The buffer is fresh zeroed memory from the system (calloc, or a direct mapping for a large
// one), so it holds zeros; no time is spent filling it beyond what the allocation costs.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "app/benchmark_controller.h"
#include "app/event.h"
#include "app/thread.h"

namespace cipher {

inline constexpr int kIdEvaluate = 1079;
inline constexpr int kIdCipherList = 1074;
inline constexpr int kIdProgress = 1077;
inline constexpr int kIdTime = 1078;
inline constexpr int kCipherTimer = 1000;

// Signalled by the worker after the last pass; the timer's poll clears it.
app::Event& cipher_done_event();

// One pass: allocate `bytes`, load and expand the key, encrypt the buffer, release it.
// `allocate` (tests) returns zeroed memory released with std::free (nullptr = out of memory);
// `inspect` sees the encrypted buffer before it is released. False when the buffer could not
// be allocated.
using PassAllocator = std::function<void*(std::size_t)>;
using PassInspector = std::function<void(const std::uint8_t*, std::size_t)>;
bool aes_pass(std::size_t bytes, const PassAllocator& allocate = {},
              const PassInspector& inspect = {});

// MB/s (units of 2^20 bytes) for `bytes` in `seconds`: 1.6e9 / t x 9.5367431640625e-7 for the
// benchmark's 100 passes.
double cipher_rate(double bytes, double seconds);

// Sizes of a run (the defaults are the benchmark's) and test seams.
struct CipherRunConfig {
    int passes = 100;
    std::size_t pass_bytes = 16'000'000;
    PassAllocator allocate;                    // empty: calloc
    std::function<void(int pass)> after_pass;  // called on the worker after each pass
};

class CipherController : public app::BenchmarkController {
  public:
    explicit CipherController(CipherRunConfig config = {});
    ~CipherController() override;

    std::string title() const override;
    void on_timer(int id) override;
    void on_command(int id) override;
    void on_cancel() override;
    int run_command_id() const override { return kIdEvaluate; }
    std::string run_command_text() const override { return "Evaluate"; }
    std::string status_text() const override { return time_text_; }

    bool running() const { return running_ != 0; }
    float result() const { return result_; }
    // What the dialog shows: the "Time:" field, the progress bar, the cipher list.
    const std::string& time_text() const { return time_text_; }
    int progress_position() const { return progress_position_; }
    int progress_range() const { return config_.passes; }
    std::string cipher_name() const { return "AES"; }

  protected:
    void paint_dialog(bool first) override;
    void start_automatic_run() override { evaluate(); }
    int automatic_close_result() const override { return app::kIdOk; }

  private:
    void evaluate();
    void worker();

    CipherRunConfig config_;
    int running_ = 0;
    float result_ = 0.0f;
    float accumulated_ = 0.0f;
    std::string time_text_;
    int progress_position_ = 0;
    std::atomic<int> pass_index_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> interrupted_{false};  // a signal stopped the run between passes
    std::string error_;  // written by the worker before the done event, read after it
    app::Thread thread_;
};

}  // namespace cipher
