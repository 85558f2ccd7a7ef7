// The window-less face: the console stream filter and the program
// itself run as a user runs it (exit status, standard output, the log file's bytes).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/console.h"
#include "app/startup.h"
#include "cli/console_stream.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ScopedCwd;
using testing_support::TempDir;

TEST(ConsoleStream, ControlBytesGoAndLineBreaksBecomeNewlines) {
    cli::ConsoleStreamFilter f;
    EXPECT_EQ(f.feed("Ready to execute.\x1c_\r\n"), "Ready to execute.\n");
    EXPECT_EQ(f.feed("a\x1b\x1b"
                     "b\x1e\x05"
                     "c\x1d\x41"
                     "d\x1f\x42"
                     "e\tf\r\n"),
              "abcde\tf\n");
    // A lone CR and other bytes stay as they are.
    EXPECT_EQ(f.feed("x\ry\x07z\n"), "x\ry\x07z\n");
    // Control sequences split across texts are removed whole.
    std::string out;
    for (const char* piece : {"line\x1c", "_\r", "\nnext\x1e",
                              "\x10"
                              "col\r",
                              "x"})
        out += f.feed(piece);
    EXPECT_EQ(out, "line\nnextcol\rx");
}

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs a shell command line with the program's path in front of `args`.
CliRun run_cli(const std::string& args, const std::string& before = "",
               const std::string& redirect = "2>/dev/null") {
    CliRun r;
    const std::string cmd = before + " '" LUMETRA_CLI_PATH "' " + args + " " + redirect;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string log_file(const std::filesystem::path& dir) {
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind("Console-", 0) == 0)
            return testing_support::read_file(e.path());
    return "";
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(CliProgram, NoArgumentsEndsReadyWithStatusZero) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    const CliRun r = run_cli("");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Lumetra 2.0 64-bit Edition Build 21MAR05\n", 0), 0u);
    EXPECT_TRUE(ends_with(r.out, "\nReady to execute.\n")) << r.out;
    for (char c : r.out) ASSERT_TRUE(c == '\n' || c >= 0x20) << static_cast<int>(c);
    const std::string log = log_file(dir.path());
    EXPECT_NE(log.find("Detecting"), std::string::npos);
    EXPECT_TRUE(ends_with(log, "\r\r\nReady to execute.\x1c_\r\r\n"));
}

TEST(CliProgram, HelpIsStatusZeroErrorsAreStatusTwo) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    const CliRun help = run_cli("-help -moldyn");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("\n Command line options\n\n -automate "), std::string::npos);
    const CliRun twice = run_cli("-moldyn -moldyn");
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.out.find("multiple instances of the Molecular Dynamics benchmark.\n"),
              std::string::npos);
    EXPECT_EQ(run_cli("-moldyn:").status, 2);
    EXPECT_EQ(run_cli("-sgemm:sse2s").status, 2);
    // The parser's lines are logged: the file has them with their cursor marks.
    EXPECT_NE(log_file(dir.path()).find("parsing...\x1c_\r\r\n\r\r\n"), std::string::npos);
}

TEST(CliProgram, UnwritableWorkingDirectoryWarnsAndGoesOn) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    // A working directory that is gone cannot take a file, even for root.
    std::filesystem::create_directory("gone");
    const CliRun r = run_cli("-bogus", "cd gone && rmdir ../gone &&", "2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("File error: Warning: unable to open console file.\n"), std::string::npos);
}

TEST(CliProgram, LongCommandLineAndCommaLocale) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    std::string args;
    for (int i = 0; i < 1000; ++i) args += "-help ";
    const CliRun r = run_cli(args + std::string(3000, 'q'), "LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8");
    EXPECT_EQ(r.status, 2);  // the long unknown token
    EXPECT_NE(r.out.find("Did not recognize " + std::string(3000, 'Q')), std::string::npos);
    EXPECT_NE(r.out.find(" Command line options"), std::string::npos);
    EXPECT_EQ(r.out.find(",000000 MHz"), std::string::npos);
    EXPECT_NE(r.out.find(" MHz\n"), std::string::npos);
}

}  // namespace
