// The command-line program as a user meets it, end to end on small decks: each row sets up a
// working directory, runs a bash script with the program in $CLI and checks the exit status and
// what was printed (results files are printed with cat). `started LOG TEXT` in a script waits (at
// most 60 s) until LOG holds TEXT. LUMETRA_CLI in the environment runs the rows against another
// build of the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/shell.h"
#include "support/temp_dir.h"

namespace {

using Shell = testing_support::ShellRun;  // standard output and error together

Shell bash(const std::string& script) {
    const char* env = std::getenv("LUMETRA_CLI");
    const std::string cli = env && *env ? env : LUMETRA_CLI_PATH;
    const std::string started =
        "started() { for i in $(seq 600); do grep -q \"$2\" \"$1\" 2>/dev/null && return; "
        "sleep 0.1; done; }; ";
    return testing_support::run_shell("CLI='" + cli + "' bash -c '" + started + script + "' 2>&1");
}

// Decks that run in a moment (32 atoms), and for many seconds unless stopped (500 atoms).
const std::string kTinyMd = "L 2\nS1 2\nS2 0\nS3 2\nS4 0\nCells 2\nT 140.0\nD 0.0001\nSteps 20\n";
const std::string kLongMd =
    "L 2\nS1 2\nS2 0\nS3 2\nS4 0\nCells 5\nT 140.0\nD 0.0001\nSteps 20000\n";
std::string atom_deck(double z, const std::string& rinit, const std::string& rfinal,
                      const std::string& mixing) {
    return "Z " + std::to_string(z) + "\nPoints 300\nRinit " + rinit + "\nRfinal " + rfinal +
           "\nK 1\nn 1 l 0 m 0 s 0 occ 1\nLoops 50\nTol 0.000001\nMix " + mixing + "\nType HF\n";
}
const std::string kH = atom_deck(1, "0.001", "400", "0.5");
const std::string kHe = atom_deck(2, "0.001", "400", "0.5");

// A results file the reader accepts, with `brand` as the processor name.
std::string results(const std::string& brand) {
    return R"({"program":"Lumetra 2.0","build":"Build 21MAR05","started_utc":"x",)"
           R"("processor":{"brand":")" +
           brand + R"("},"subscores":{"md":1000.0}})";
}

struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // path, content
    std::string script;
    std::vector<std::string> printed;      // each must appear
    std::vector<std::string> not_printed;  // none may appear
};

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        // The small deck stands in for the reference deck, so the step is scored.
        {"a molecular dynamics queue scores and writes its results",
         {{"MD/Argon-Helium.in", kTinyMd}},
         "$CLI -moldyn -automate; echo status=$?; cat Results-*.json; "
         "grep -cE \"^    \\\"md\\\": [1-9]\" Results-*.json | sed s/^/scored=/",
         {"Completed Molecular Dynamics simulation", "Finished Lumetra 2.0 Run Configuration.",
          "Results file: ", "status=0", "\"status\": \"completed\"",
          "\"time_s\": ", "\"memory\": null", "scored=1"},
         {"\"time_s\": 0.0,", "\"time_s\": 0,"}},
        {"a skipped step fails the run, an empty queue does not",
         {},
         "$CLI -orbitra -automate; echo status=$?; $CLI -automate >/dev/null; echo empty=$?",
         {"Error: Could not execute Orbitra test, skipping...", "status=1", "empty=0"},
         {}},
        // The long run is stopped part-way; the cipher step after it never starts. The signal is
        // sent twice at once, as timeout(1) does (the program, then its group).
        {"an interrupt stops the run and keeps what was measured",
         {{"MD/Argon-Helium.in", kTinyMd}, {"MD/Long.in", kLongMd}},
         "$CLI -moldyn:Long.in -cipherbench -automate >out.txt 2>/dev/null & p=$!; "
         "started out.txt \"Created thread\"; sleep 0.3; kill -INT $p; kill -INT $p; "
         "wait $p; echo status=$?; cat out.txt Results-*.json",
         {"status=130\n", "Stopping Molecular Dynamics simulation.", "Run interrupted.",
          "\"interrupted\": true", "\"status\": \"stopped\"", "\"md\": null"},
         {"\"cipher\": {"}},
        // A matrix-multiply run cannot stop before its last size: the first signal waits for it,
        // the second does not.
        {"a second interrupt ends the program at once",
         {},
         "$CLI -dgemm -automate >out.txt 2>/dev/null & p=$!; started out.txt \"Running Double\"; "
         "kill -INT $p; sleep 0.3; kill -TERM $p; wait $p; echo status=$?; cat out.txt",
         {"status=143\n"},
         {"Run interrupted."}},
        // One console log only: the second program wrote nothing of its own.
        {"a second program in the same folder is refused and writes nothing",
         {{"MD/Argon-Helium.in", kLongMd}},
         "$CLI -moldyn -automate >out.txt 2>/dev/null & p=$!; started out.txt \"Created thread\"; "
         "$CLI -moldyn -automate; echo second=$?; ls Console-* | wc -l | sed s/^/logs=/; "
         "kill -INT $p; wait $p; echo first=$?",
         {"lumetra2-cli: Another Lumetra 2.0 is running in ", "second=1\nlogs=1\nfirst=130\n"},
         {}},
        // A full device, and a pipe whose reader has gone (SIGPIPE would end it with 141).
        {"failing standard output is a non-zero status, not a crash",
         {},
         "$CLI >/dev/full; echo full=$?; exec 3> >(exit 0); sleep 0.2; $CLI >&3; echo pipe=$?",
         {"standard output could not be written: No space left on device\nfull=1\n",
          "standard output could not be written: Broken pipe\npipe=1\n"},
         {}},
        {"a log that cannot be replaced fails the run",
         {{"MD/Argon-Helium.in", kTinyMd}},
         "mkdir MD.out; $CLI -moldyn -automate; echo status=$?",
         {"Error: Molecular Dynamics run of Argon-Helium failed: cannot replace MD.out: Is a "
          "directory.",
          "status=1"},
         {"Completed Molecular Dynamics simulation"}},
        // No arguments: status 0, plain text ending ready on standard output, detection logged
        // once.
        {"no arguments end ready",
         {},
         "$CLI >out.txt 2>/dev/null; echo status=$?; head -n 1 out.txt; tail -n 1 out.txt | "
         "sed s/^/last=/; tr -d \"[:print:]\\n\" <out.txt | wc -c | sed s/^/raw=/; "
         "grep -c Detecting Console-*.txt | sed s/^/detecting=/",
         {"status=0\nLumetra 2.0 64-bit Edition Build 21MAR05\nlast=Ready to execute.\nraw=0\n",
          "detecting=1"},
         {}},
        // A working directory that is gone cannot take a file, even for root.
        {"an unwritable working directory warns and goes on",
         {},
         "mkdir gone; cd gone; rmdir ../gone; $CLI -bogus >/dev/null; echo status=$?",
         {"File error: Warning: unable to open console file.\n", "status=2"},
         {}},
        // Three runs in one second: three logs, each named by its own results file.
        {"consecutive runs keep their own console logs",
         {{"Input Files/Ag.in", kH}, {"Input Files/H.in", kH}, {"Input Files/He.in", kHe}},
         "for d in H He H; do $CLI -orbitra:$d.in -automate >/dev/null || echo failed; done; "
         "ls Console-*.txt | wc -l | sed s/^/logs=/; "
         "for f in Results-*.json; do grep -o \"Console-[-0-9]*.txt\" $f; done | sort -u | "
         "wc -l | sed s/^/named=/; grep -c \"^Found command line\" Console-*.txt | "
         "grep -vc \":1$\" | sed s/^/bad=/",
         {"logs=3", "named=3", "bad=0"},
         {"failed"}},
        {"Orbitra mixing above 1 and grids beyond physical radii are refused",
         {{"Input Files/Ag.in", kH},
          {"Input Files/Mix.in", atom_deck(1, "0.001", "400", "1e300")},
          {"Input Files/Grid.in", atom_deck(1, "1e-300", "1e300", "0.5")}},
         "$CLI -orbitra:Mix.in -automate; echo status=$?; $CLI -orbitra:Grid.in -automate; "
         "echo status=$?",
         {"Error: Orbitra deck Mix.in refused: ratio of mixing 1e+300 is outside 0 to 1.",
          "Error: Orbitra deck Grid.in refused: r init 1e-300 and r final 1e+300 must lie within",
          "status=1"},
         {"LumetraMarks", "Time:", "status=0"}},
        {"an MD deck runs the file named, whole name and all, or nothing",
         {{"MD/Argon-Helium.in", kTinyMd}, {"MD/Argon.in", kTinyMd}, {"MD/Neon-Quick.in", kTinyMd}},
         "$CLI -moldyn:Argon.bak -automate; echo status=$?; "
         "$CLI -moldyn:Neon-Quick.old.in -automate; echo status=$?; "
         "cp MD/Argon.in MD/Argon.bak; $CLI -moldyn:Argon.bak -automate >/dev/null 2>&1; echo "
         "ok=$?",
         {"Error: Molecular Dynamics deck MD/Argon.bak cannot be opened.",
          "Error: Molecular Dynamics deck MD/Neon-Quick.old.in cannot be opened.", "status=1",
          "ok=0"},
         {"Completed Molecular Dynamics", "status=0"}},
        {"an Orbitra deck with two dots runs itself",
         {{"Input Files/Ag.in", kH}, {"Input Files/H.in", kH}, {"Input Files/H.v2.in", kHe}},
         "$CLI -orbitra:H.v2.in -automate >/dev/null; echo status=$?; grep -h \"\\\"Z\\\"\" "
         "Results-*.json",
         {"status=0", "\"Z\": 2.0"},
         {"\"Z\": 1.0"}},
        {"a number out of range in --compare is a clear error",
         {{"a.json", "{\"x\":1e999}"}, {"b.json", "{\"x\":-1e400}"}},
         "$CLI --compare a.json a.json; echo status=$?; $CLI --compare b.json b.json; "
         "echo status=$?",
         {"a.json: a number is out of range", "b.json: a number is out of range", "status=2"},
         {"terminate", "status=134", "status=0"}},
        {"a closed standard output is reported, not written into the lock",
         {{"Input Files/Ag.in", kH}, {"Input Files/H.in", kH}},
         "$CLI -orbitra:H.in -automate >&-; echo status=$? >&2; wc -c < .lumetra2.lock | "
         "sed s/^/lock=/ >&2",
         {"standard output could not be written", "status=1", "lock=0"},
         {}},
        {"--compare prints no control bytes from the files",
         {{"o.json", results("Evil\\u001b]0;pwned\\u0007\\u001b[2J\\r\\nFake line")},
          {"n.json", results("Plain")}},
         "$CLI --compare o.json n.json | tr -d \"[:print:]\\n\" | wc -c | sed s/^/raw=/; "
         "$CLI --compare o.json n.json | grep -c \"^Fake line\" | sed s/^/forged=/",
         {"raw=0", "forged=0"},
         {}},
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
    EXPECT_EQ(r.status, 0) << r.out;  // the script itself ends well; it echoes what it checks
    for (const std::string& s : row.printed)
        EXPECT_NE(r.out.find(s), std::string::npos) << s << "\n" << r.out;
    for (const std::string& s : row.not_printed)
        EXPECT_EQ(r.out.find(s), std::string::npos) << s << "\n" << r.out;
}

INSTANTIATE_TEST_SUITE_P(Rows, AuditCli, ::testing::Range<std::size_t>(0, rows().size()));

}  // namespace
