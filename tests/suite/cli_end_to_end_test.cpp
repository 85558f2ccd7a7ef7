// lumetra2-cli end to end in a temporary working directory with small decks: the queue runs
// through the suite, the figures, sub-scores and results file come out, and the exit status
// tells success, a failed step and a bad command line apart.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

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

TEST_F(CliEndToEnd, HugeChargeAndUnwritableOutputEndTheRunWithStatusOne) {
    // Spun for ever in the eigenvalue search once; now refused before anything is written.
    suite_test::write_file("Input Files/Big.in",
                           "NuclearCharge 1500\nGridPoints 250\nInitialRadius 0.001\n"
                           "FinalRadius 400\nNumberOfOrbitals 1\nn 1 l 0 m 0 s 0 occ 1\n"
                           "ScfLoops 50\nEnergyTolerance 0.000001\nMixingRatio 0.5\n"
                           "ScfType HartreeFock\n");
    // The suite looks for the reference deck before it runs the step.
    std::filesystem::copy_file(testing_support::source_data_dir() / "Input Files" / "Ag.in",
                               "Input Files/Ag.in");
    const CliResult big = run_cli("-orbitra:Big.in -automate");
    EXPECT_EQ(big.status, 1) << big.out;
    EXPECT_NE(big.out.find("Error: Orbitra deck Big.in refused: nuclear charge 1500 is outside "
                           "1 to 118."),
              std::string::npos)
        << big.out;
    EXPECT_FALSE(std::filesystem::exists("radgridpositions"));

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
