// The command-line program's own options: --repeat's bad values refused with exit status 2 and
// a message on standard error, the suite's switches passed on untouched, --help and --version
// exit 0, --compare's bad files refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/options.h"
#include "support/shell.h"

namespace {

cli::Options parse(std::vector<const char*> args) {
    args.insert(args.begin(), "lumetra2-cli");
    return cli::parse_options(static_cast<int>(args.size()), args.data());
}

TEST(CliOptions, RepeatCounts) {
    struct Row {
        std::vector<const char*> args;
        int repeat;  // 0: refused
    } rows[] = {
        {{"--repeat", "3"}, 3},
        {{"--repeat=12"}, 12},
        {{"-membench"}, 1},
        {{"--repeat", "0"}, 0},
        {{"--repeat", "-1"}, 0},
        {{"--repeat", "abc"}, 0},
        {{"--repeat"}, 0},
        {{"--repeat="}, 0},
        {{"--repeat", "3x"}, 0},
        {{"--repeat", "+3"}, 0},
        {{"--repeat", "1001"}, 0},
        {{"--repeat", "99999999999999999999"}, 0},
        {{"--repeat", "1000"}, 1000},
    };
    for (const Row& r : rows) {
        const cli::Options o = parse(r.args);
        std::string shown;
        for (const char* a : r.args) shown += std::string(a) + " ";
        if (r.repeat == 0) {
            EXPECT_FALSE(o.error.empty()) << shown;
            EXPECT_NE(o.error.find("--repeat"), std::string::npos) << o.error;
        } else {
            EXPECT_TRUE(o.error.empty()) << shown << o.error;
            EXPECT_EQ(o.repeat, r.repeat) << shown;
        }
    }
}

TEST(CliOptions, SuiteSwitchesPassThroughInOrder) {
    const cli::Options o = parse({"-membench", "--repeat", "2", "-moldyn:my deck.in", "-automate"});
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(o.rest, (std::vector<std::string>{"lumetra2-cli", "-membench", "-moldyn:my deck.in",
                                                "-automate"}));
    EXPECT_FALSE(parse({"--bogus"}).error.empty());
    EXPECT_FALSE(parse({"--compare", "a.json"}).error.empty());
    const cli::Options c = parse({"--compare", "a.json", "b.json"});
    EXPECT_TRUE(c.compare);
    EXPECT_EQ(c.compare_old, "a.json");
    EXPECT_EQ(c.compare_new, "b.json");
}

using ProgramRun = testing_support::ShellRun;

ProgramRun run_program(const std::string& args) {
    return testing_support::run_shell("'" LUMETRA_CLI_PATH "' " + args);
}

TEST(CliOptions, TheProgramAnswersHelpVersionAndBadValues) {
    const ProgramRun help = run_program("--help 2>/dev/null");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("  -membench             memory bandwidth and latency"),
              std::string::npos);
    EXPECT_NE(help.out.find("--repeat N"), std::string::npos);
    EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
    const ProgramRun version = run_program("--version 2>/dev/null");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("lumetra2-cli (Lumetra) 2.0\n", 0), 0u) << version.out;
    EXPECT_NE(version.out.find("Compiler: "), std::string::npos);
    EXPECT_NE(version.out.find("Qt: "), std::string::npos);

    for (const char* bad : {"--repeat 0", "--repeat -1", "--repeat abc", "--repeat",
                            "--compare /nonexistent/a.json /nonexistent/b.json"}) {
        // Only standard error is read: the message must be there, and nothing ran.
        const ProgramRun r = run_program(std::string(bad) + " -cipherbench 2>&1 >/dev/null");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.out.rfind("lumetra2-cli: ", 0), 0u) << bad << ": " << r.out;
    }
}

}  // namespace
