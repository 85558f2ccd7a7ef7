// lumetra2-cli end to end in a temporary working directory with small decks: the queue runs
// through the suite, the figures, sub-scores and results file come out, and the exit status
// tells success, a failed step and a bad command line apart.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "suite_test_support.h"

namespace {

struct CliResult {
    int status = -1;
    std::string out;
};

CliResult run_cli(const std::string& args) {
    const std::string cmd = "'" LUMETRA_CLI_PATH "' " + args + " 2>/dev/null";
    CliResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int w = pclose(p);
    r.status = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    return r;
}

// A deck that runs in a moment: 32 atoms, a few steps.
const char* kTinyDeck =
    "LatticeType(0=sc,1=bcc,2=fcc) 2\nSpecies1(0He,1Ne,2Ar,3Kr,4Xe) 2\nSpecies2 0\nSpecies3 2\n"
    "Species4 0\nCellsPerSide 2\nTemperatureKelvin 140.0\nTimeStepReduced 0.0001\n"
    "NumberOfSteps 20\n";

class CliEndToEnd : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
};

TEST_F(CliEndToEnd, MolecularDynamicsQueueScoresAndWritesItsResults) {
    // The small deck stands in for the reference deck, so the step is scored.
    suite_test::write_file("MD/Argon-Helium.in", kTinyDeck);
    const CliResult r = run_cli("-moldyn -automate");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Completed Molecular Dynamics simulation"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Finished Lumetra 2.0 Run Configuration."), std::string::npos);

    const auto pos = r.out.find("Results file: ");
    ASSERT_NE(pos, std::string::npos) << r.out;
    const std::string path = r.out.substr(pos + 14, r.out.find('\n', pos) - pos - 14);
    std::ifstream f(path);
    ASSERT_TRUE(f) << path;
    const nlohmann::json doc = nlohmann::json::parse(f);
    EXPECT_EQ(doc["md"]["status"], "completed");
    EXPECT_GT(doc["md"]["time_s"].get<double>(), 0.0);
    EXPECT_GT(doc["subscores"]["md"].get<double>(), 0.0);
    EXPECT_EQ(doc["subscores"]["memory"], -1.0);
}

TEST_F(CliEndToEnd, SkippedStepFailsTheRunAndBadSwitchesAreCommandLineErrors) {
    const CliResult skipped = run_cli("-orbitra -automate");
    EXPECT_EQ(skipped.status, 1);
    EXPECT_NE(skipped.out.find("Error: Could not execute Orbitra test, skipping..."),
              std::string::npos);
    EXPECT_EQ(run_cli("-bogus").status, 2);
    EXPECT_EQ(run_cli("").status, 0);
    EXPECT_EQ(run_cli("-automate").status, 0);
}

// The program started in the background with its standard output on a pipe, so a test can
// wait for a line and then signal it.
class Child {
  public:
    explicit Child(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv{const_cast<char*>(LUMETRA_CLI_PATH)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(LUMETRA_CLI_PATH, argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
    }
    ~Child() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    // Reads until `text` has appeared (true) or the output ends or `limit` passes.
    bool wait_for(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (text_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end) return false;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char buf[4096];
            const ssize_t n = read(out_, buf, sizeof buf);
            if (n <= 0) return false;
            text_.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    void signal(int sig) { kill(pid_, sig); }
    // The exit status, or -1 when it did not exit normally within `limit`.
    int wait_exit(std::chrono::seconds limit = std::chrono::seconds(60)) {
        wait_for("\x01never", limit);  // drain the output until it closes
        int w = 0;
        if (waitpid(pid_, &w, 0) != pid_) return -1;
        status_ = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
        return status_;
    }
    const std::string& text() const { return text_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string text_;
};

// A deck that runs for many seconds unless stopped (500 atoms).
const char* kLongDeck =
    "LatticeType(0=sc,1=bcc,2=fcc) 2\nSpecies1(0He,1Ne,2Ar,3Kr,4Xe) 2\nSpecies2 0\nSpecies3 2\n"
    "Species4 0\nCellsPerSide 5\nTemperatureKelvin 140.0\nTimeStepReduced 0.0001\n"
    "NumberOfSteps 20000\n";
constexpr const char* kMdStarted = "Created thread to run benchmark.";

std::filesystem::path only_results_file() {
    std::filesystem::path found;
    for (const auto& e : std::filesystem::directory_iterator("."))
        if (e.path().filename().string().rfind("Results-", 0) == 0) found = e.path();
    return found;
}

TEST_F(CliEndToEnd, AnInterruptStopsTheRunAndKeepsWhatWasMeasured) {
    const struct {
        int sig;
        int status;
    } rows[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sig);
        for (const auto& e : std::filesystem::directory_iterator("."))
            std::filesystem::remove_all(e.path());
        suite_test::write_file("MD/Argon-Helium.in", kTinyDeck);
        suite_test::write_file("MD/Long.in", kLongDeck);
        // The long deck's run is stopped part-way; the cipher step after it never starts.
        Child c({"-moldyn:Long.in", "-cipherbench", "-automate"});
        ASSERT_TRUE(c.wait_for(kMdStarted)) << c.text();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto sent = std::chrono::steady_clock::now();
        // Sent twice at once, as timeout(1) does (the program, then its process group).
        c.signal(row.sig);
        c.signal(row.sig);
        EXPECT_EQ(c.wait_exit(), row.status) << c.text();
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10));
        EXPECT_NE(c.text().find("Run interrupted."), std::string::npos) << c.text();

        const std::filesystem::path results = only_results_file();
        ASSERT_FALSE(results.empty());
        std::ifstream f(results);
        const nlohmann::json doc = nlohmann::json::parse(f);
        EXPECT_EQ(doc["interrupted"], true);
        EXPECT_EQ(doc["md"]["status"], "stopped");
        EXPECT_FALSE(doc.contains("cipher"));  // not started
        EXPECT_NE(c.text().find("Stopping Molecular Dynamics simulation."), std::string::npos);
        EXPECT_EQ(doc["subscores"]["md"], -1.0);
    }
}

TEST_F(CliEndToEnd, ASecondInterruptEndsTheProgramAtOnce) {
    // The memory benchmark cannot stop mid-kernel: the first signal waits for it, the second
    // does not.
    Child c({"-membench", "-automate"});
    ASSERT_TRUE(c.wait_for("Running Memory Benchmark")) << c.text();
    c.signal(SIGINT);
    c.signal(SIGINT);  // the same request delivered twice (a process and its group) is one
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    c.signal(SIGTERM);
    EXPECT_EQ(c.wait_exit(std::chrono::seconds(5)), 128 + SIGTERM) << c.text();
    EXPECT_EQ(c.text().find("Run interrupted."), std::string::npos);
}

TEST_F(CliEndToEnd, ASecondProgramInTheSameFolderIsRefused) {
    suite_test::write_file("MD/Argon-Helium.in", kLongDeck);
    Child first({"-moldyn", "-automate"});
    ASSERT_TRUE(first.wait_for(kMdStarted)) << first.text();
    const std::string cmd = "'" LUMETRA_CLI_PATH "' -moldyn -automate 2>&1";
    CliResult second;
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_TRUE(p);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) second.out.append(buf, n);
    const int w = pclose(p);
    EXPECT_EQ(WIFEXITED(w) ? WEXITSTATUS(w) : -1, 1);
    EXPECT_NE(second.out.find("Another Lumetra 2.0 is running in"), std::string::npos)
        << second.out;
    // Nothing of its own was written: no second console log.
    int logs = 0;
    for (const auto& e : std::filesystem::directory_iterator("."))
        logs += e.path().filename().string().rfind("Console-", 0) == 0;
    EXPECT_EQ(logs, 1);
    first.signal(SIGINT);
    EXPECT_EQ(first.wait_exit(), 130);
}

// Runs the program (no arguments: start-up only) with standard output on `fd`.
int run_with_stdout(int fd) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fd, STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execl(LUMETRA_CLI_PATH, LUMETRA_CLI_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    int w = 0;
    waitpid(pid, &w, 0);
    if (WIFSIGNALED(w)) return 1000 + WTERMSIG(w);
    return WIFEXITED(w) ? WEXITSTATUS(w) : -1;
}

TEST_F(CliEndToEnd, FailingStandardOutputIsANonZeroStatusNotACrash) {
    // A full device.
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    EXPECT_EQ(run_with_stdout(full), 1);
    close(full);
    // A reader that went away: every write fails, and SIGPIPE must not end the program.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    EXPECT_EQ(run_with_stdout(fds[1]), 1);
    close(fds[1]);
}

}  // namespace
