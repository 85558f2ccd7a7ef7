// The command-line parser: the switch table, deck and kernel rules, repeat checks, help, the
// fixed queue order, and lines no one should ever type.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/console.h"

namespace {

using Queue = std::vector<int>;

// Parses with a fresh console and keeps every logged text as it was handed over.
struct Parsed {
    app::CommandLine cmd;
    std::vector<std::string> texts;
    std::string all() const {
        std::string s;
        for (const auto& t : texts) s += t;
        return s;
    }
};

Parsed parse(std::string_view line) {
    app::console().reset();
    Parsed p;
    app::console().set_listener([&p](std::string_view t) { p.texts.emplace_back(t); });
    p.cmd = app::parse_command_line(line);
    app::console().set_listener(nullptr);
    return p;
}

const std::string kFound = "\r\nFound command line arguments, parsing...\x1c_\r\n\r\n";
const std::string kReady = "\r\nReady to execute.\x1c_\r\n";

std::string unrecognized(const std::string& token) {
    return "Error Parsing Command Line: Did not recognize " + token +
           " as a valid option.\x1c_\r\n";
}

TEST(CommandLineEmpty, NoTokenLogsNothingAndQueuesNothing) {
    for (std::string_view line : {"", "   ", ":::", " : \n :"}) {
        const Parsed p = parse(line);
        EXPECT_TRUE(p.texts.empty()) << line;
        EXPECT_FALSE(p.cmd.start_pending);
        EXPECT_TRUE(p.cmd.queue.empty());
        EXPECT_EQ(p.cmd.tokens, 0);
    }
}

TEST(CommandLineQueue, FixedOrderWhateverTheOrderOnTheLine) {
    const Parsed p = parse("-sgemm -orbitra -moldyn -membench -dgemm -cipherbench");
    EXPECT_EQ(p.cmd.queue, (Queue{4, 5, 1, 2, 3, 6}));
    EXPECT_TRUE(p.cmd.start_pending);
    EXPECT_FALSE(p.cmd.close_when_finished);
    EXPECT_EQ(p.all(), kFound);

    const Parsed q = parse("-sgemm -dgemm -automate");
    EXPECT_EQ(q.cmd.queue, (Queue{5, 6}));
    EXPECT_TRUE(q.cmd.close_when_finished);
}

TEST(CommandLineQueue, RunAllReplacesEverySingleSwitch) {
    const Parsed p = parse("-runallbench -moldyn");
    EXPECT_EQ(p.cmd.queue, (Queue{8}));
    EXPECT_FALSE(p.cmd.close_when_finished);  // only -automate closes the program
    EXPECT_EQ(parse("-membench -RunAllBench -automate").cmd.queue, (Queue{8}));
}

TEST(CommandLineQueue, AutomateAloneStartsAnEmptyRunAndCloses) {
    const Parsed p = parse("-automate");
    EXPECT_TRUE(p.cmd.queue.empty());
    EXPECT_TRUE(p.cmd.start_pending);
    EXPECT_TRUE(p.cmd.close_when_finished);
}

TEST(CommandLineQueue, SwitchesMatchInAnyCaseButOnlyInFull) {
    EXPECT_EQ(parse("-MolDyn -AUTOMATE").cmd.queue, (Queue{2}));
    const Parsed p = parse("-moldynx -automat");
    EXPECT_EQ(p.all(), kFound + unrecognized("-MOLDYNX") + unrecognized("-AUTOMAT"));
    EXPECT_EQ(p.cmd.errors, 2);
    EXPECT_FALSE(p.cmd.start_pending);
}

TEST(CommandLineDecks, ColonFormNamesTheDeckUpperCased) {
    const Parsed p = parse("-moldyn:helium.in -orbitra:hg.in");
    EXPECT_EQ(p.cmd.md_deck, "HELIUM.IN");
    EXPECT_EQ(p.cmd.orbitra_deck, "HG.IN");
    EXPECT_EQ(p.cmd.queue, (Queue{2, 3}));
    EXPECT_EQ(p.cmd.errors, 0);
}

TEST(CommandLineDecks, BareSwitchTakesTheDefaultAndAFollowingNameIsAnError) {
    const Parsed p = parse("-moldyn Helium.in");
    EXPECT_EQ(p.cmd.md_deck, "Argon-Helium.in");
    EXPECT_EQ(p.all(), kFound + unrecognized("HELIUM.IN"));
    EXPECT_TRUE(p.cmd.queue.empty());
    EXPECT_FALSE(p.cmd.start_pending);
    EXPECT_EQ(parse("-orbitra").cmd.orbitra_deck, "AG.IN");
}

TEST(CommandLineDecks, ColonAtTheEndOfTheLineIsAnErrorNotAnEmptyDeck) {
    for (std::string_view line : {"-moldyn:", "-automate -moldyn:", "-moldyn:   "}) {
        const Parsed p = parse(line);
        EXPECT_EQ(p.cmd.errors, 1) << line;
        EXPECT_FALSE(p.cmd.start_pending) << line;
        EXPECT_TRUE(p.cmd.queue.empty()) << line;
        EXPECT_NE(p.all().find("Error Parsing Command Line: No input file was given after "
                               "-MOLDYN:.\x1c_\r\n"),
                  std::string::npos)
            << line;
    }
    EXPECT_EQ(parse("-orbitra:").cmd.errors, 1);
}

TEST(CommandLineDecks, SearchAheadOfTheTokensNeverCrashes) {
    // The colon form found further on makes the bare first switch take the next token; the
    // later switch then finds nothing left to search.
    const Parsed p = parse("-moldyn a -moldyn:b");
    EXPECT_EQ(p.cmd.md_deck, "Argon-Helium.in");
    EXPECT_GE(p.cmd.errors, 1);
    EXPECT_TRUE(p.cmd.queue.empty());
}

TEST(CommandLineKernels, OnlyCompilerIsAccepted) {
    const Parsed ok = parse("-sgemm:compiler -dgemm:Compiler");
    EXPECT_EQ(ok.cmd.queue, (Queue{5, 6}));
    EXPECT_EQ(ok.cmd.sgemm_kernel, "COMPILER");
    EXPECT_EQ(ok.cmd.dgemm_kernel, "COMPILER");

    const Parsed bad = parse("-sgemm:sse2s");
    EXPECT_EQ(bad.all(), kFound +
                             "Error Parsing Command Line: Could not execute SGEMM benchmark, "
                             "SSE2S is not a valid option.\x1c_\r\n");
    EXPECT_TRUE(bad.cmd.queue.empty());
    EXPECT_EQ(bad.cmd.errors, 1);

    const Parsed d = parse("-dgemm:x87");
    EXPECT_NE(d.all().find("Could not execute DGEMM benchmark, X87 is not a valid option."),
              std::string::npos);
}

TEST(CommandLineKernels, RejectedKernelTakesBackItsSwitchCount) {
    // Two SGEMM switches, one rejected: no repeat message, only the kernel error.
    const Parsed p = parse("-sgemm:sse -sgemm");
    EXPECT_EQ(p.cmd.errors, 1);
    EXPECT_EQ(p.all().find("multiple instances"), std::string::npos);
}

TEST(CommandLineKernels, SgemmKernelTokenKeepsColonsDgemmsDoesNot) {
    const Parsed s = parse("-sgemm:compiler:x");
    EXPECT_NE(s.all().find("SGEMM benchmark, COMPILER:X is not a valid option."),
              std::string::npos);
    const Parsed d = parse("-dgemm:compiler:x");
    EXPECT_EQ(d.cmd.dgemm_kernel, "COMPILER");
    EXPECT_EQ(d.all(), kFound + unrecognized("X"));
}

TEST(CommandLineKernels, ColonAtTheEndIsAnError) {
    const Parsed p = parse("-automate -sgemm:");
    EXPECT_EQ(p.cmd.errors, 1);
    EXPECT_FALSE(p.cmd.start_pending);
    EXPECT_NE(p.all().find("Could not execute SGEMM benchmark, no kernel was given after "
                           "-SGEMM:."),
              std::string::npos);
    EXPECT_EQ(parse("-dgemm:").cmd.errors, 1);
}

TEST(CommandLineRepeats, MolecularDynamicsTwiceGivesTheTipAndReady) {
    const Parsed p = parse("-moldyn -moldyn");
    EXPECT_EQ(p.all(),
              kFound +
                  "Error Parsing Command Line: Not able to execute multiple instances of the "
                  "Molecular Dynamics benchmark.\r\n"
                  "Tip: - If you want to execute 2 different Molecular Dynamics simulations, "
                  "execute them in this fashion:\r\n"
                  "     lumetra2 -automate -moldyn:Argon-Helium.in\r\n"
                  "     lumetra2 -automate -moldyn:Helium.in\r\n" +
                  kReady);
    EXPECT_TRUE(p.cmd.queue.empty());
    EXPECT_FALSE(p.cmd.start_pending);
}

TEST(CommandLineRepeats, AllFourChecksInOrderWithTheirMarkers) {
    const Parsed p = parse("-sgemm -orbitra -moldyn -dgemm -sgemm -orbitra -moldyn -dgemm");
    EXPECT_EQ(p.cmd.errors, 4);
    const std::string all = p.all();
    const auto dg = all.find("multiple instances of the DGEMM benchmark.\r\n");
    const auto md = all.find("multiple instances of the Molecular Dynamics benchmark.\r\n");
    const auto orb = all.find("multiple instances of the Orbitra benchmark.\x1c_\r\n");
    const auto sg = all.find("multiple instances of the SGEMM benchmark.\x1c_\r\n");
    ASSERT_NE(dg, std::string::npos);
    ASSERT_NE(md, std::string::npos);
    ASSERT_NE(orb, std::string::npos);
    ASSERT_NE(sg, std::string::npos);
    EXPECT_LT(dg, md);
    EXPECT_LT(md, orb);
    EXPECT_LT(orb, sg);
    EXPECT_NE(all.find("     lumetra2 -automate -sgemm:sse2s\r\n     lumetra2 -automate "
                       "-sgemm:sse2v\r\n" +
                       kReady),
              std::string::npos);
    EXPECT_NE(all.find("     lumetra2 -automate -orbitra:ag.in\r\n     lumetra2 -automate "
                       "-orbitra:hg.in\r\n" +
                       kReady),
              std::string::npos);
    EXPECT_NE(all.find("     lumetra2 -automate -sgemm:sse\r\n     lumetra2 -automate "
                       "-sgemm:3dnow\r\n" +
                       kReady),
              std::string::npos);
    // Only the newest cursor survives in the console text; the Orbitra mark has become fillers.
    const std::string text = app::console().text();
    EXPECT_NE(text.find("Orbitra benchmark.\x1b\x1b\r\n"), std::string::npos);
}

TEST(CommandLineHelp, HelpListsTheOptionsAndQueuesNothing) {
    const Parsed p = parse("-help -moldyn -automate");
    EXPECT_TRUE(p.cmd.help_shown);
    EXPECT_TRUE(p.cmd.queue.empty());
    EXPECT_FALSE(p.cmd.start_pending);
    const std::string all = p.all();
    const std::string head = kFound + " Command line options\r\n\r\n";
    ASSERT_EQ(all.substr(0, head.size()), head);
    EXPECT_NE(all.find(" -orbitra        : Run through the orbitra benchmark\r\n -orbitra:file.in: "
                       "Run through the orbitra benchmark using the custom file provided.\r\n"),
              std::string::npos);
    const std::string tail =
        " -sgemm:compiler   : Run through the sgemm benchmark using the "
        "compiler core\r\n\r\n" +
        kReady;
    ASSERT_GE(all.size(), tail.size());
    EXPECT_EQ(all.substr(all.size() - tail.size()), tail);
    std::size_t lines = 0;
    for (std::size_t i = head.size(); (i = all.find("\r\n -", i)) != std::string::npos; ++i)
        ++lines;
    EXPECT_EQ(lines, 12u);  // 13 option lines, the first right after the head
}

TEST(CommandLineHelp, RepeatMessagesComeBeforeTheHelp) {
    const std::string all = parse("-moldyn -help -moldyn").all();
    EXPECT_LT(all.find("multiple instances"), all.find(" Command line options"));
}

TEST(CommandLineBadInput, TabsAreNoDelimiters) {
    const Parsed p = parse("-moldyn\t-automate");
    EXPECT_EQ(p.all(), kFound + unrecognized("-MOLDYN\t-AUTOMATE"));
    EXPECT_EQ(parse("-moldyn\n-automate").cmd.queue, (Queue{2}));
}

TEST(CommandLineBadInput, NonAsciiBytesPassUnchanged) {
    const Parsed p = parse("-moldyn:h\xc3\xa9lium.in -\xe9t\xe9");
    EXPECT_EQ(p.cmd.md_deck, "H\xc3\xa9LIUM.IN");
    EXPECT_NE(p.all().find(unrecognized("-\xe9T\xe9")), std::string::npos);
}

TEST(CommandLineBadInput, LongLinesAreHandledWhole) {
    // Switches far past the first 256 characters still count.
    const Parsed far =
        parse(std::string(300, ' ') + "-moldyn:helium.in " + std::string(5000, ' ') + "-automate");
    EXPECT_EQ(far.cmd.queue, (Queue{2}));
    EXPECT_EQ(far.cmd.md_deck, "HELIUM.IN");
    EXPECT_TRUE(far.cmd.close_when_finished);

    const std::string huge(12'000, 'x');
    const Parsed h = parse(huge);
    EXPECT_EQ(h.all(), kFound + unrecognized(std::string(12'000, 'X')));

    const std::string deck(400, 'd');
    EXPECT_EQ(parse("-orbitra:" + deck).cmd.orbitra_deck, std::string(400, 'D'));
}

TEST(CommandLineBadInput, HundredsOfSwitches) {
    std::string line;
    for (int i = 0; i < 500; ++i) line += "-membench -moldyn ";
    const Parsed p = parse(line);
    EXPECT_EQ(p.cmd.tokens, 1000);
    EXPECT_EQ(p.cmd.errors, 1);  // one repeat message for molecular dynamics
    EXPECT_TRUE(p.cmd.queue.empty());

    std::string many;
    for (int i = 0; i < 500; ++i) many += "-membench -cipherbench -automate ";
    EXPECT_EQ(parse(many).cmd.queue, (Queue{4, 1}));
}

TEST(CommandLineBadInput, LineEndsAtAZeroByte) {
    const Parsed p = parse(std::string_view("-moldyn\0-bogus", 14));
    EXPECT_EQ(p.cmd.queue, (Queue{2}));
    EXPECT_EQ(p.cmd.errors, 0);
}

TEST(CommandLineText, ArgumentsJoinedBySingleBlanks) {
    const char* argv[] = {"lumetra2-cli", "-moldyn:helium.in", "", "-automate"};
    EXPECT_EQ(app::command_line_text(4, argv), "-moldyn:helium.in  -automate");
    EXPECT_EQ(app::command_line_text(1, argv), "");
    const char* spaced[] = {"prog", "-moldyn", "Helium.in"};
    EXPECT_EQ(parse(app::command_line_text(3, spaced)).all(), kFound + unrecognized("HELIUM.IN"));
}

}  // namespace
