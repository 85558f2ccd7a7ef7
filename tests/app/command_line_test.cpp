// The command-line parser: the switch table, deck and kernel rules, the fixed queue order, and
// lines no one should ever type.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/console_capture.h"

namespace {

using Queue = std::vector<int>;

// Parses with a fresh console; `all` is every logged text joined as it was handed over.
struct Parsed {
    app::CommandLine cmd;
    std::string all;
};

Parsed parse(std::string_view line) {
    testing_support::ConsoleCapture capture;
    app::CommandLine cmd = app::parse_command_line(line);
    return {std::move(cmd), capture.written};
}

bool has(const std::string& all, const std::string& piece) {
    return all.find(piece) != std::string::npos;
}

const std::string kFound = "\r\nFound command line arguments, parsing...\x1c_\r\n\r\n";
const std::string kReady = "\r\nReady to execute.\x1c_\r\n";
const std::string kErr = "Error Parsing Command Line: ";

std::string unrecognized(const std::string& token) {
    return kErr + "Did not recognize " + token + " as a valid option.\x1c_\r\n";
}

TEST(CommandLine, QueueFlagsAndExactLog) {
    struct Row {
        std::string line, log;  // log "" means "anything"
        Queue queue;
        int errors;
        bool start, close;
    };
    const std::string bad_sgemm =
        kErr + "Could not execute SGEMM benchmark, SSE2S is not a valid option.\x1c_\r\n";
    std::string help = kFound;
    for (const char* l :
         {" Command line options", "",
          " -automate         : Run through each benchmark without user interaction. Upon "
          "completion, Lumetra2 will automatically close.",
          " -cipherbench      : Run through the cipher benchmark",
          " -dgemm            : Run through the dgemm benchmark using the compiler core",
          " -dgemm:compiler   : Run through the dgemm benchmark using the compiler core",
          " -help             : Display all command line options",
          " -membench         : Run through the memory benchmark",
          " -moldyn           : Run through the molecular dynamics benchmark",
          " -moldyn:file.in   : Run through a custom simulation using file.in",
          " -orbitra        : Run through the orbitra benchmark",
          " -orbitra:file.in: Run through the orbitra benchmark using the custom file provided.",
          " -runallbench      : Run through the entire benchmark. -automate is implied.",
          " -sgemm            : Run through the sgemm benchmark using the compiler core",
          " -sgemm:compiler   : Run through the sgemm benchmark using the compiler core", ""})
        help += std::string(l) + "\r\n";
    const Row rows[] = {
        // The option list, and nothing queued.
        {"-help -moldyn", help + kReady, {}, 0, false, false},
        // A fixed order whatever the order on the line.
        {"-sgemm -orbitra -moldyn -membench -dgemm -cipherbench",
         kFound,
         {4, 5, 1, 2, 3, 6},
         0,
         true,
         false},
        {"-sgemm -dgemm -automate", kFound, {5, 6}, 0, true, true},
        // Run-all replaces every single switch; only -automate closes the program.
        {"-runallbench -moldyn", kFound, {8}, 0, true, false},
        {"-membench -RunAllBench -automate", kFound, {8}, 0, true, true},
        {"-automate", kFound, {}, 0, true, true},
        // Any case, but only in full.
        {"-MolDyn -AUTOMATE", kFound, {2}, 0, true, true},
        {"-moldynx -automat",
         kFound + unrecognized("-MOLDYNX") + unrecognized("-AUTOMAT"),
         {},
         2,
         false,
         false},
        // A bare deck switch takes the default; a following name is an unknown token.
        {"-moldyn Helium.in", kFound + unrecognized("HELIUM.IN"), {}, 1, false, false},
        {"-sgemm:sse2s", kFound + bad_sgemm, {}, 1, false, false},
        // SGEMM's kernel token keeps its colons, DGEMM's does not.
        {"-dgemm:compiler:x", kFound + unrecognized("X"), {}, 1, false, false},
        // Tabs are no delimiters; a newline is.
        {"-moldyn\t-automate", kFound + unrecognized("-MOLDYN\t-AUTOMATE"), {}, 1, false, false},
        {"-moldyn\n-automate", kFound, {2}, 0, true, true},
        {std::string(12'000, 'x'),
         kFound + unrecognized(std::string(12'000, 'X')),
         {},
         1,
         false,
         false},
        // The line ends at a zero byte.
        {std::string("-moldyn\0-bogus", 14), kFound, {2}, 0, true, false},
        // A rejected kernel takes back its switch count: no repeat message.
        {"-sgemm:sse -sgemm", "", {}, 1, false, false},
        // The colon form found further on makes the bare first switch take the next token; the
        // later switch then finds nothing left to search.
        {"-moldyn a -moldyn:b", "", {}, -1, false, false},
    };
    for (const Row& r : rows) {
        const Parsed p = parse(r.line);
        const std::string at = r.line.substr(0, 60);
        if (!r.log.empty()) {
            EXPECT_EQ(p.all, r.log) << at;
        }
        EXPECT_EQ(p.cmd.queue, r.queue) << at;
        if (r.errors >= 0) {
            EXPECT_EQ(p.cmd.errors, r.errors) << at;
            EXPECT_FALSE(has(p.all, "multiple instances")) << at;
        }
        EXPECT_GE(p.cmd.errors, r.errors < 0 ? 1 : 0) << at;
        EXPECT_EQ(p.cmd.start_pending, r.start) << at;
        EXPECT_EQ(p.cmd.close_when_finished, r.close) << at;
    }
}

TEST(CommandLine, DecksAndKernels) {
    Parsed p = parse("-moldyn:helium.in -orbitra:hg.in -sgemm:compiler -dgemm:Compiler");
    EXPECT_EQ(p.cmd.md_deck, "HELIUM.IN");
    EXPECT_EQ(p.cmd.orbitra_deck, "HG.IN");
    // As typed, for the messages that name a deck that is not there.
    EXPECT_EQ(p.cmd.md_deck_typed, "helium.in");
    EXPECT_EQ(p.cmd.orbitra_deck_typed, "hg.in");
    EXPECT_EQ(parse("-AUTOMATE  -orbitra:Typo.In").cmd.orbitra_deck_typed, "Typo.In");
    EXPECT_EQ(parse("-orbitra").cmd.orbitra_deck_typed, "");
    EXPECT_EQ(p.cmd.sgemm_kernel, "COMPILER");
    EXPECT_EQ(p.cmd.dgemm_kernel, "COMPILER");
    EXPECT_EQ(parse("-moldyn").cmd.md_deck, "Argon-Helium.in");
    EXPECT_EQ(parse("-orbitra").cmd.orbitra_deck, "AG.IN");
    EXPECT_EQ(parse("-moldyn a -moldyn:b").cmd.md_deck, "Argon-Helium.in");
    EXPECT_EQ(parse("-dgemm:compiler:x").cmd.dgemm_kernel, "COMPILER");
}

TEST(CommandLine, ColonAtTheEndIsAnError) {
    const std::pair<std::string_view, std::string> rows[] = {
        {"-moldyn:", "No input file was given after -MOLDYN:.\x1c_\r\n"},
        {"-orbitra:", "No input file was given after -ORBITRA:."},
        {"-automate -sgemm:",
         "Could not execute SGEMM benchmark, no kernel was given after -SGEMM:."},
        {"-sgemm:compiler:x",
         "Could not execute SGEMM benchmark, COMPILER:X is not a valid option."},
    };
    for (const auto& [line, message] : rows) {
        const Parsed p = parse(line);
        EXPECT_EQ(p.cmd.errors, 1) << line;
        EXPECT_FALSE(p.cmd.start_pending) << line;
        EXPECT_TRUE(p.cmd.queue.empty()) << line;
        EXPECT_TRUE(has(p.all, kErr + message)) << line << "\n" << p.all;
    }
}

}  // namespace
