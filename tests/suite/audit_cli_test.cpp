// The command-line program as a user meets it, on inputs that once lost data or scored a wrong
// figure: each row sets up a working directory, runs a bash script with the program in $CLI
// and checks the exit status and what was printed. LUMETRA_CLI in the environment runs the rows
// against another build of the program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct Shell {
    int status = -1;
    std::string out;  // standard output and error together
};

Shell bash(const std::string& script) {
    const char* env = std::getenv("LUMETRA_CLI");
    const std::string cli = env && *env ? env : LUMETRA_CLI_PATH;
    const std::string cmd = "CLI='" + cli + "' bash -c '" + script + "' 2>&1";
    Shell r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int w = pclose(p);
    r.status = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    return r;
}

// Decks that run in a moment.
const std::string kTinyMd = "L 2\nS1 2\nS2 0\nS3 2\nS4 0\nCells 2\nT 140.0\nD 0.0001\nSteps 20\n";
std::string atom_deck(double z, const std::string& rinit, const std::string& rfinal,
                      const std::string& mixing) {
    return "Z " + std::to_string(z) + "\nPoints 300\nRinit " + rinit + "\nRfinal " + rfinal +
           "\nK 1\nn 1 l 0 m 0 s 0 occ 1\nLoops 50\nTol 0.000001\nMix " + mixing + "\nType HF\n";
}
const std::string kH = atom_deck(1, "0.001", "400", "0.5");
const std::string kHe = atom_deck(2, "0.001", "400", "0.5");

struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // path, content
    std::string script;
    int status;
    std::vector<std::string> printed;      // each must appear
    std::vector<std::string> not_printed;  // none may appear
};

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        // Three runs in one second: three logs, each named by its own results file.
        {"consecutive runs keep their own console logs",
         {{"Input Files/Ag.in", kH}, {"Input Files/H.in", kH}, {"Input Files/He.in", kHe}},
         "for d in H He H; do $CLI -orbitra:$d.in -automate >/dev/null || echo failed; done; "
         "ls Console-*.txt | wc -l | sed s/^/logs=/; "
         "for f in Results-*.json; do grep -o \"Console-[-0-9]*.txt\" $f; done | sort -u | "
         "wc -l | sed s/^/named=/; grep -c \"^Found command line\" Console-*.txt | "
         "grep -vc \":1$\" | sed s/^/bad=/",
         0,
         {"logs=3", "named=3", "bad=0"},
         {"failed"}},
        {"a lock file that cannot be written still locks",
         {{"Input Files/Ag.in", kH}, {"Input Files/H.in", kH}},
         "mkdir .lumetra2.lock; exec 9<.lumetra2.lock; flock -n 9 || echo nolock; "
         "$CLI -orbitra:H.in -automate; echo status=$?",
         0,
         {"Another Lumetra 2.0 is running", "status=1"},
         {"nolock", "Time:"}},
        {"a lock that cannot be opened refuses the run",
         {{"Input Files/Ag.in", kH}, {"Input Files/H.in", kH}},
         "ln -s .lumetra2.lock .lumetra2.lock; $CLI -orbitra:H.in -automate; echo status=$?",
         0,
         {"Cannot take the lock .lumetra2.lock", "symbolic links", "status=1"},
         {"Time:"}},
    };
    return table;
}

class AuditCli : public ::testing::TestWithParam<std::size_t> {};

TEST_P(AuditCli, Row) {
    const Row& row = rows()[GetParam()];
    SCOPED_TRACE(row.name);
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd(dir.path());
    for (const auto& [path, content] : row.files) testing_support::write_file(path, content);
    const Shell r = bash(row.script);
    EXPECT_EQ(r.status, row.status) << r.out;
    for (const std::string& s : row.printed)
        EXPECT_NE(r.out.find(s), std::string::npos) << s << "\n" << r.out;
    for (const std::string& s : row.not_printed)
        EXPECT_EQ(r.out.find(s), std::string::npos) << s << "\n" << r.out;
}

INSTANTIATE_TEST_SUITE_P(Rows, AuditCli, ::testing::Range<std::size_t>(0, rows().size()));

}  // namespace
