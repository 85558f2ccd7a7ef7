// lumetra2-cli end to end in a temporary working directory with small decks: the results file,
// the exit status of success and of a failed step, interrupts, the instance lock, and standard
// output that cannot be written.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "suite_test_support.h"
#include "support/shell.h"

namespace {

using CliResult = testing_support::ShellRun;

CliResult run_cli(const std::string& args) {
    return testing_support::run_shell("'" LUMETRA_CLI_PATH "' " + args + " 2>/dev/null");
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
    EXPECT_TRUE(doc["subscores"]["memory"].is_null());
}

TEST_F(CliEndToEnd, ASkippedStepFailsTheRunAnEmptyQueueDoesNot) {
    const CliResult skipped = run_cli("-orbitra -automate");
    EXPECT_EQ(skipped.status, 1);
    EXPECT_NE(skipped.out.find("Error: Could not execute Orbitra test, skipping..."),
              std::string::npos);
    EXPECT_EQ(run_cli("-automate").status, 0);
}

// A bash script with the program's path in $CLI; returns what it prints. `started` waits (at
// most 60 s) until the log `$1` holds a line saying a run is under way.
std::string bash(const std::string& script) {
    return testing_support::run_shell(
               "CLI='" LUMETRA_CLI_PATH
               "' bash -c '"
               "started() { for i in $(seq 600); do grep -q \"$2\" \"$1\" 2>/dev/null && "
               "return; sleep 0.1; done; }; " +
               script + "' 2>&1")
        .out;
}

// A deck that runs for many seconds unless stopped (500 atoms).
const char* kLongDeck =
    "LatticeType(0=sc,1=bcc,2=fcc) 2\nSpecies1(0He,1Ne,2Ar,3Kr,4Xe) 2\nSpecies2 0\nSpecies3 2\n"
    "Species4 0\nCellsPerSide 5\nTemperatureKelvin 140.0\nTimeStepReduced 0.0001\n"
    "NumberOfSteps 20000\n";

nlohmann::json results_file() {
    for (const auto& e : std::filesystem::directory_iterator("."))
        if (e.path().filename().string().rfind("Results-", 0) == 0)
            return nlohmann::json::parse(std::ifstream(e.path()));
    return {};
}

TEST_F(CliEndToEnd, AnInterruptStopsTheRunAndKeepsWhatWasMeasured) {
    suite_test::write_file("MD/Argon-Helium.in", kTinyDeck);
    suite_test::write_file("MD/Long.in", kLongDeck);
    // The long deck's run is stopped part-way; the cipher step after it never starts. The
    // signal is sent twice at once, as timeout(1) does (the program, then its group).
    const std::string out = bash(
        "$CLI -moldyn:Long.in -cipherbench -automate >out.txt 2>/dev/null & p=$!; "
        "started out.txt \"Created thread\"; sleep 0.3; kill -INT $p; kill -INT $p; "
        "wait $p; echo \"status $?\"; cat out.txt");
    EXPECT_EQ(out.rfind("status 130\n", 0), 0u) << out;
    EXPECT_NE(out.find("Stopping Molecular Dynamics simulation."), std::string::npos);
    EXPECT_NE(out.find("Run interrupted."), std::string::npos);
    const nlohmann::json doc = results_file();
    EXPECT_EQ(doc["interrupted"], true);
    EXPECT_EQ(doc["md"]["status"], "stopped");
    EXPECT_FALSE(doc.contains("cipher"));
    EXPECT_TRUE(doc["subscores"]["md"].is_null());
}

TEST_F(CliEndToEnd, ASecondInterruptEndsTheProgramAtOnce) {
    // A matrix-multiply run cannot stop before its last size: the first signal waits for it,
    // the second does not.
    const std::string out = bash(
        "$CLI -dgemm -automate >out.txt 2>/dev/null & p=$!; started out.txt \"Running Double\"; "
        "kill -INT $p; sleep 0.3; kill -TERM $p; wait $p; echo \"status $?\"; cat out.txt");
    EXPECT_EQ(out.rfind("status 143\n", 0), 0u) << out;
    EXPECT_EQ(out.find("Run interrupted."), std::string::npos);
}

TEST_F(CliEndToEnd, ASecondProgramInTheSameFolderIsRefusedAndWritesNothing) {
    suite_test::write_file("MD/Argon-Helium.in", kLongDeck);
    const std::string out = bash(
        "$CLI -moldyn -automate >out.txt 2>/dev/null & p=$!; started out.txt \"Created thread\"; "
        "$CLI -moldyn -automate; echo \"second $?\"; ls Console-* | wc -l; kill -INT $p; wait $p; "
        "echo \"first $?\"");
    EXPECT_NE(out.find("lumetra2-cli: Another Lumetra 2.0 is running in "), std::string::npos)
        << out;
    // One console log only: the second wrote nothing of its own.
    EXPECT_NE(out.find("second 1\n1\nfirst 130\n"), std::string::npos) << out;
}

TEST_F(CliEndToEnd, FailingStandardOutputIsANonZeroStatusNotACrash) {
    // A full device, and a pipe whose reader has gone (every write fails; SIGPIPE would end
    // the program with 141).
    const std::string out = bash(
        "$CLI >/dev/full; echo \"full $?\"; exec 3> >(exit 0); sleep 0.2; $CLI >&3; "
        "echo \"pipe $?\"");
    EXPECT_NE(out.find("standard output could not be written: No space left on device\nfull 1\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("standard output could not be written: Broken pipe\npipe 1\n"),
              std::string::npos)
        << out;
}

TEST_F(CliEndToEnd, UnwritableOutputEndsTheRunWithStatusOne) {
    // A log that cannot be replaced fails the run instead of being skipped.
    suite_test::write_file("MD/Argon-Helium.in", kTinyDeck);
    std::filesystem::create_directory("MD.out");
    const CliResult md = run_cli("-moldyn -automate");
    EXPECT_EQ(md.status, 1) << md.out;
    EXPECT_NE(md.out.find("Error: Molecular Dynamics run of Argon-Helium failed: cannot replace "
                          "MD.out: Is a directory."),
              std::string::npos)
        << md.out;
    EXPECT_EQ(md.out.find("Completed Molecular Dynamics simulation"), std::string::npos);
}

}  // namespace
