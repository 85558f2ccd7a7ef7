// The cipher run through the headless host with fewer, smaller passes and a fake counter: the
// time and rate lines, the record, and an unallocatable pass buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/console.h"
#include "app/event.h"
#include "app/headless_host.h"
#include "cipher/cipher_run.h"
#include "support/console_capture.h"
#include "support/fake_counter.h"

namespace {

using cipher::CipherController;
using testing_support::console_plain;

// Four passes of 256 KiB; the dialog's first four ticks each move the fake counter on by half
// a second, and the worker's last pass waits for them, so the measured time is exactly 2 s.
class TimedCipherRun : public CipherController {
  public:
    TimedCipherRun(testing_support::FakeCounter& counter, cipher::CipherRunConfig config)
        : CipherController(with_gate(std::move(config))), counter_(counter) {}
    bool press_buttons = false;

    void on_timer(int id) override {
        if (advances_ < 4) {
            counter_.advance_seconds(0.5);
            if (++advances_ == 4) gate().set();
        }
        if (press_buttons && running()) {
            press_buttons = false;
            on_command(cipher::kIdEvaluate);
            on_cancel();
        }
        CipherController::on_timer(id);
    }

  private:
    static app::Event& gate() {
        static app::Event event(app::Event::Reset::Manual);
        return event;
    }
    static cipher::CipherRunConfig with_gate(cipher::CipherRunConfig config) {
        gate().reset();
        const int last = config.passes - 1;
        config.after_pass = [last](int pass) {
            if (pass == last) gate().wait();
        };
        return config;
    }
    testing_support::FakeCounter& counter_;
    int advances_ = 0;
};

cipher::CipherRunConfig small_config() {
    cipher::CipherRunConfig config;
    config.passes = 4;
    config.pass_bytes = 262'144;
    return config;
}

class CipherRunTest : public ::testing::Test {
  protected:
    void SetUp() override { app::console().reset(); }
    static int run_unattended(CipherController& run) {
        run.auto_start = run.close_when_done = true;
        app::HeadlessRunner runner;
        runner.time_limit = std::chrono::seconds(60);
        return runner.run_modal(run);
    }
};

TEST_F(CipherRunTest, ReportsTimeAndRateAndClosesAsOk) {
    testing_support::FakeCounter counter;
    TimedCipherRun run(counter, small_config());
    EXPECT_EQ(run.time_text(), "0.0000000000 s");
    EXPECT_EQ(run_unattended(run), app::kIdOk);
    // 4 x 262144 bytes = 1 MiB in 2 s.
    const std::string text = console_plain();
    EXPECT_NE(text.find("Execution time: 2.00000 seconds.\r\n"
                        "AES Encryption (Rijndael): 0.50 MB/s\r\n"),
              std::string::npos)
        << text;
    const std::string raw = app::console().text();
    EXPECT_EQ(raw.substr(raw.size() - 4), "\x1c_\r\n");
    EXPECT_FLOAT_EQ(run.result(), 0.5f);
    EXPECT_EQ(run.time_text(), "2.000000 s");
    EXPECT_EQ(run.progress_position(), 4);
    EXPECT_EQ(run.record().status(), app::RunStatus::Completed);
    EXPECT_DOUBLE_EQ(run.record().figure("time_s").get<double>(), 2.0);
    EXPECT_DOUBLE_EQ(run.record().figure("rate_mbs").get<double>(), 0.5);
    EXPECT_DOUBLE_EQ(run.record().headline(), 0.5);
    EXPECT_FALSE(run.running());
}

TEST_F(CipherRunTest, APassBufferThatCannotBeAllocatedFailsTheRunInOrder) {
    cipher::CipherRunConfig config = small_config();
    config.allocate = [calls = 0](std::size_t n) mutable -> void* {
        return ++calls == 3 ? nullptr : std::calloc(n, 1);
    };
    CipherController run(config);
    EXPECT_EQ(run_unattended(run), app::kIdOk);
    EXPECT_EQ(run.record().status(), app::RunStatus::Failed);
    EXPECT_NE(
        console_plain().find("Error: Could not allocate the 262144-byte buffer of pass 3.\r\n"),
        std::string::npos);
    EXPECT_EQ(console_plain().find("AES Encryption"), std::string::npos);
    EXPECT_EQ(run.result(), 0.0f);
    EXPECT_FALSE(run.running());
}

}  // namespace
