// The command-line program run as a user runs it: exit status, standard output, the log
// file's bytes, and a working directory that takes no file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/console.h"
#include "app/startup.h"
#include "cli/console_stream.h"
#include "support/shell.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ScopedCwd;
using testing_support::TempDir;

// Runs a shell command line with the program's path in front of `args`.
testing_support::ShellRun run_cli(const std::string& args, const std::string& before = "",
                                  const std::string& redirect = "2>/dev/null") {
    return testing_support::run_shell(before + " '" LUMETRA_CLI_PATH "' " + args + " " + redirect);
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
    const auto r = run_cli("");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Lumetra 2.0 64-bit Edition Build 21MAR05\n", 0), 0u);
    EXPECT_TRUE(ends_with(r.out, "\nReady to execute.\n")) << r.out;
    for (char c : r.out) ASSERT_TRUE(c == '\n' || c >= 0x20) << static_cast<int>(c);
    const std::string log = log_file(dir.path());
    EXPECT_NE(log.find("Detecting"), std::string::npos);
    EXPECT_TRUE(ends_with(log, "\r\r\nReady to execute.\x1c_\r\r\n"));
}

TEST(CliProgram, UnwritableWorkingDirectoryWarnsAndGoesOn) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    // A working directory that is gone cannot take a file, even for root.
    std::filesystem::create_directory("gone");
    const auto r = run_cli("-bogus", "cd gone && rmdir ../gone &&", "2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("File error: Warning: unable to open console file.\n"), std::string::npos);
}

}  // namespace
