// lumetra2-cli with the results store: a run is recorded after its results file is written, and
// a store that cannot be used costs one warning and nothing else; misused options are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/console_capture.h"
#include "support/shell.h"
#include "support/temp_dir.h"

namespace {

struct Cli {
    int status = -1;
    std::string out, err;
};

Cli run_cli(const std::string& args) {
    const auto r = testing_support::run_shell("'" LUMETRA_CLI_PATH "' " + args + " 2>err.txt");
    return {r.status, r.out, testing_support::read_file("err.txt")};
}

int results_files() {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("."))
        n += e.path().filename().string().rfind("Results-", 0) == 0;
    return n;
}

TEST(StoreCli, RunRecordedAndUnusableStoresCostOneWarning) {
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    std::filesystem::create_directories("MD");
    std::ofstream("MD/Argon-Helium.in")
        << "LatticeType(0=sc,1=bcc,2=fcc) 2\nSpecies1(0He,1Ne,2Ar,3Kr,4Xe) 2\nSpecies2 0\n"
           "Species3 2\nSpecies4 0\nCellsPerSide 2\nTemperatureKelvin 140.0\n"
           "TimeStepReduced 0.0001\nNumberOfSteps 20\n";
    std::ofstream("corrupt.sqlite") << std::string(4096, 'x');
    const struct {
        const char* store;
        const char* warning;  // empty: recorded
    } rows[] = {{"good.sqlite", ""}, {"corrupt.sqlite", "not a database"}, {"good.sqlite", ""}};
    int runs = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.store);
        const Cli r = run_cli(std::string("--quiet --store ") + row.store + " -moldyn");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(results_files(), ++runs);
        const std::string w = row.warning;
        if (w.empty()) {
            EXPECT_EQ(r.err.find("results store"), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err.find("results store"), r.err.rfind("results store")) << r.err;
            EXPECT_NE(r.err.find(std::string("results store ") + (dir.path() / row.store).string()),
                      std::string::npos)
                << r.err;
            EXPECT_NE(r.err.find(w), std::string::npos) << r.err;
        }
    }
    const Cli h = run_cli("--store good.sqlite --history --last 5");
    EXPECT_EQ(h.status, 0) << h.err;
    // The heading and 2 runs (timed figures may differ enough under load to add a flag line).
    EXPECT_EQ(std::count(h.out.begin(), h.out.end(), '\n') -
                  testing_support::count_of(h.out, "possible regression"),
              3)
        << h.out;
    // Its report, without a display.
    const Cli rep = run_cli("--store good.sqlite --report r.html all");
    EXPECT_EQ(rep.status, 0) << rep.err;
    EXPECT_NE(testing_support::read_file("r.html").find("2 runs side by side"), std::string::npos);
    for (const char* misuse :
         {"--no-store --history", "--import", "--history -membench", "--last 0 --history",
          "--store a --no-store", "--store", "--report", "--report r.html x", "--profile p.rst",
          "--report r.html 1 --last 2", "--no-store --report r.html"})
        EXPECT_EQ(run_cli(misuse).status, 2) << misuse;
    EXPECT_EQ(run_cli("--store none.sqlite --history").status, 0);  // makes no store
    EXPECT_FALSE(std::filesystem::exists("none.sqlite"));
    EXPECT_EQ(run_cli("--no-store -moldyn --quiet").status, 0);
    EXPECT_EQ(results_files(), runs + 1);
}

}  // namespace
