#include "cipher/cipher_run.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/format.h"
#include "app/interrupt.h"
#include "app/lap_timer.h"
#include "cipher/aes.h"

namespace cipher {

app::Event& cipher_done_event() {
    static app::Event event(app::Event::Reset::Auto);
    return event;
}

namespace {

// The pass buffer. A large one is mapped directly and asked to be backed by huge pages: the
// 16 MB of a pass then costs a handful of page faults instead of four thousand, which on a
// virtual machine otherwise take as long as the encryption. Either way it is fresh, zeroed
// memory.
class PassBuffer {
  public:
    PassBuffer(std::size_t bytes, const PassAllocator& allocate) {
        if (allocate) {
            data_ = static_cast<std::uint8_t*>(allocate(bytes));
        } else if (bytes >= kMapThreshold) {
            length_ = bytes;
            void* map =
                ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (map != MAP_FAILED) {
                ::madvise(map, bytes, MADV_HUGEPAGE);  // a hint only
                data_ = static_cast<std::uint8_t*>(map);
            }
        } else {
            data_ = static_cast<std::uint8_t*>(std::calloc(bytes ? bytes : 1, 1));
        }
    }
    ~PassBuffer() {
        if (!data_) return;
        if (length_ != 0)
            ::munmap(data_, length_);
        else
            std::free(data_);
    }
    PassBuffer(const PassBuffer&) = delete;
    PassBuffer& operator=(const PassBuffer&) = delete;
    std::uint8_t* data() const { return data_; }

  private:
    static constexpr std::size_t kMapThreshold = std::size_t(4) << 20;
    std::uint8_t* data_ = nullptr;
    std::size_t length_ = 0;  // non-zero: mapped
};

}  // namespace

bool aes_pass(std::size_t bytes, const PassAllocator& allocate, const PassInspector& inspect) {
    PassBuffer pass(bytes, allocate);
    std::uint8_t* buffer = pass.data();
    if (!buffer) return false;
    // Key size, the key text copied into a work buffer, parsed and expanded: every pass.
    const int key_bits = kKeyBits;
    char work[kKeyText.size() + 1];
    std::memcpy(work, kKeyText.data(), kKeyText.size());
    work[kKeyText.size()] = '\0';
    KeyState key;
    parse_key(std::string_view(work, key_bits / 4), key);
    ExpandedKey expanded;
    expand_key(key, expanded);
    RoundWords words;
    make_round_words(expanded, words);
    encrypt_ecb(words, buffer, bytes / 16);
    if (inspect) inspect(buffer, bytes);
    return true;
}

double cipher_rate(double bytes, double seconds) {
    return seconds > 0.0 ? bytes / seconds * 9.5367431640625e-7 : 0.0;
}

CipherController::CipherController(CipherRunConfig config)
    : config_(std::move(config)), time_text_(app::strprintf("%.10f s", 0.0)) {}

CipherController::~CipherController() {
    thread_.join();
}

std::string CipherController::title() const {
    return std::string(app::find_benchmark(app::kCodeCipher)->title);
}

void CipherController::paint_dialog(bool first) {
    if (first) progress_position_ = 0;
}

void CipherController::on_command(int id) {
    if (id == kIdEvaluate) evaluate();
}

void CipherController::on_cancel() {
    if (running_) return;  // a run cannot be interrupted
    host().end_dialog(app::kIdCancel);
}

void CipherController::evaluate() {
    if (running_) return;
    running_ = 1;
    cipher_done_event().reset();
    record().begin();
    if (!start_timer_or_report(kCipherTimer, 1)) {
        running_ = 0;
        give_up("Error: Could not create Timer in OnEvaluate().", "Could not create timer");
        return;
    }
    app::lap_restart();
    accumulated_ = 0.0f;
    failed_ = false;
    interrupted_ = false;
    error_.clear();
    pass_index_ = 0;
    if (!start_worker(thread_, [this] { worker(); })) {
        host().kill_timer(kCipherTimer);
        running_ = 0;
        give_up("Error: Could not create the cipher thread.", "Could not create the cipher thread");
    }
}

void CipherController::worker() {
    for (int r = 0; r < config_.passes; ++r) {
        // A pass cannot stop mid-kernel; the program's interrupt ends the run between passes.
        if (app::interrupt_requested()) {
            interrupted_ = true;
            break;
        }
        pass_index_.store(r, std::memory_order_relaxed);
        record().set_progress("Pass", r, config_.passes);
        if (!aes_pass(config_.pass_bytes, config_.allocate)) {
            error_ = app::strprintf("Could not allocate the %zu-byte buffer of pass %d.",
                                    config_.pass_bytes, r + 1);
            failed_ = true;
            break;
        }
        if (config_.after_pass) config_.after_pass(r);
    }
    cipher_done_event().set();
}

void CipherController::on_timer(int id) {
    if (id != kCipherTimer) return;
    // Accumulated in single precision, as the dialog always has.
    accumulated_ = static_cast<float>(accumulated_ + app::lap_take());
    time_text_ = app::strprintf("%f s", static_cast<double>(accumulated_));
    progress_position_ = pass_index_.load(std::memory_order_relaxed);
    host().request_repaint();
    if (!cipher_done_event().poll()) return;

    thread_.join();
    host().kill_timer(kCipherTimer);
    running_ = 0;
    if (failed_) {
        // The pass could not run: no rate to report; the run ends in order all the same.
        app::ConsoleLog(app::with_cursor("Error: " + error_));
        record().fail(error_);
    } else if (interrupted_) {
        // Fewer passes than the rate counts: nothing was measured.
        app::ConsoleLog(app::with_cursor("Benchmark interrupted."));
        record().stop("Benchmark interrupted.");
    } else {
        const double t = accumulated_;
        const double bytes = double(config_.passes) * double(config_.pass_bytes);
        const double rate = cipher_rate(bytes, t);
        app::ConsoleLog(app::strprintf("Execution time: %.5f seconds.\r\n", t));
        app::ConsoleLog(
            app::with_cursor(app::strprintf("AES Encryption (Rijndael): %.2f MB/s", rate)));
        result_ = static_cast<float>(rate);
        progress_position_ = config_.passes;
        record().set_progress("Pass", config_.passes, config_.passes);
        record().merge_figures(
            {{"time_s", t}, {"rate_mbs", rate}, {"cipher", "AES"}, {"mode", "ECB"}});
        record().set_headline("MB/s", rate);
        record().complete();
    }
    close_if_automatic();
}

}  // namespace cipher
