// The results store: runs read back exactly, old stores brought forward, newer ones left alone,
// bad results files told apart, two writers at once, the regression flag on like runs only.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <tuple>

#include "app/benchmarks.h"
#include "app/format.h"
#include "store/commands.h"
#include "store/results_store.h"
#include "support/console_capture.h"
#include "support/temp_dir.h"

namespace {

using nlohmann::json;
using testing_support::count_of;
using testing_support::TempDir;
using testing_support::write_file;

// A results document of the current format; `repeated` adds spreads.
json results_doc(double cipher_rate, bool repeated) {
    json doc = json::parse(R"({"format": "lumetra2-results", "format_version": 2,
        "program": "Lumetra 2.0", "started_utc": "2026-12-01T10:00:00Z",
        "processor": {"brand": "Test CPU <&>"},
        "provenance": {"program_version": "2.0.1", "source_revision": "v2.0-5-gabc",
                       "command_line": "-cipherbench -membench", "host_name": "bench-1"},
        "subscores": {"memory": 1234.5678901234, "stream": null, "md": null, "orbitra": null,
                      "cipher": 0.30000000000000004, "blas": null},
        "memory": {"status": "completed", "latency_ns": 87.123456789,
                   "headline": {"name": "bandwidth", "value": 1e-300, "unit": "MiB/s"}},
        "md": {"status": "failed", "error": "x"}})");
    doc["interrupted"] = repeated;
    doc["cipher"] = {{"status", "completed"},
                     {"headline", {{"name", "rate"}, {"value", cipher_rate}, {"unit", "MiB/s"}}}};
    if (repeated)
        doc["repeat"]["spread"]["cipher.rate"] = {
            {"min", 100.25}, {"median", cipher_rate}, {"max", 130.5}, {"cv_percent", 3.3}};
    return doc;
}

TEST(StoreRoundTrip, EveryFigureReadBackExactly) {
    TempDir dir;
    store::Store s(dir.path() / "sub" / "r.sqlite");
    for (const bool repeated : {false, true}) {
        SCOPED_TRACE(repeated);
        const json doc = results_doc(repeated ? 117.0 : 123.456789012345678, repeated);
        auto run = store::run_from_results(doc, nullptr);
        ASSERT_TRUE(run);
        run->content_hash = store::content_hash(doc.dump());
        ASSERT_EQ(run->figures.size(), 3u);
        const auto back = s.run(s.record(*run));
        ASSERT_TRUE(back);
        const auto fields = [](const store::RunData& r) {
            return std::tie(r.started_utc, r.host, r.processor, r.program_version,
                            r.source_revision, r.command_line, r.provenance, r.interrupted,
                            r.content_hash, r.document);
        };
        EXPECT_EQ(fields(*back), fields(*run));
        ASSERT_EQ(back->figures.size(), run->figures.size());
        for (std::size_t i = 0; i < run->figures.size(); ++i) {
            const auto figure = [](const store::Figure& f) {
                return std::tie(f.benchmark, f.key, f.unit, f.value, f.min, f.median, f.max,
                                f.cv_percent);
            };
            EXPECT_EQ(figure(back->figures[i]), figure(run->figures[i])) << i;
        }
        ASSERT_EQ(back->subscores.size(), app::kScoreGroupCount);
        for (std::size_t i = 0; i < app::kScoreGroupCount; ++i)
            EXPECT_EQ(std::tie(back->subscores[i].name, back->subscores[i].value),
                      std::tie(run->subscores[i].name, run->subscores[i].value));
    }
}

TEST(StoreResultsFiles, BadFilesRefusedWithTheirReason) {
    TempDir dir;
    auto doc_with = [](const char* path, json v) {
        json d = results_doc(100, false);
        d[json::json_pointer(path)] = std::move(v);
        return d.dump();
    };
    // The reader's own refusals (missing, truncated, foreign files) are the --compare test's;
    // here one of them is passed on, and what only the store refuses.
    const struct {
        const char* name;
        std::string text;
        const char* reason;
    } rows[] = {
        {"not JSON", "Lumetra results\n", "not JSON"},
        {"string figure", doc_with("/cipher/headline/value", "fast"), "not a number"},
        {"huge", doc_with("/cipher/headline/value", 1e300), "not a possible figure"},
        {"100 MB of padding", results_doc(1, false).dump() + std::string(100u << 20, ' '),
         "too large"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto path = dir.path() / (std::string(row.name) + ".json");
        write_file(path, row.text);
        store::RunData run;
        std::string error;
        EXPECT_FALSE(store::read_results_for_store(path, run, error));
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
        EXPECT_NE(error.find(row.name), std::string::npos) << error;
    }
}

TEST(StoreImport, DuplicatesSkippedBadFilesToldGoodOnesKept) {
    TempDir dir;
    const auto db = dir.path() / "r.sqlite";
    write_file(dir.path() / "a.json", results_doc(100, false).dump());
    write_file(dir.path() / "b.json", results_doc(200, false).dump());
    write_file(dir.path() / "bad.json", "{");
    const std::string a = (dir.path() / "a.json").string(), b = (dir.path() / "b.json").string(),
                      bad = (dir.path() / "bad.json").string();
    const struct {
        std::vector<std::string> files;
        int status;
        int imported, skipped, refused;
    } rows[] = {{{a}, 0, 1, 0, 0}, {{a, bad, b}, 1, 1, 1, 1}, {{b, a}, 0, 0, 2, 0}};
    for (const auto& row : rows) {
        char o[4096] = {}, e[4096] = {};
        FILE* out = ::fmemopen(o, sizeof o - 1, "w");
        FILE* err = ::fmemopen(e, sizeof e - 1, "w");
        EXPECT_EQ(store::import_results_files(db, row.files, out, err), row.status);
        std::fclose(out), std::fclose(err);
        EXPECT_EQ(count_of(o, "imported as run"), row.imported) << o;
        EXPECT_EQ(count_of(o, "already in the store"), row.skipped) << o;
        EXPECT_EQ(count_of(e, "refused"), row.refused) << e;
    }
    EXPECT_EQ(store::Store(db).history().size(), 2u);
}

TEST(StoreSchema, FirstVersionBroughtForwardNewerOneLeftUntouched) {
    TempDir dir;
    const auto v1 = dir.path() / "v1.sqlite";
    {
        store::Database db(v1, true);
        db.exec(
            "CREATE TABLE runs(id INTEGER PRIMARY KEY, started_utc, host, program_version, "
            "source_revision, provenance, command_line, interrupted);"
            "CREATE TABLE figures(run_id, benchmark, key, value, unit, min, median, max, "
            "cv_percent); CREATE TABLE subscores(run_id, name, value);"
            "INSERT INTO runs VALUES(7, '2025-05-05T05:05:05Z', 'old-host', '2.0', 'v2.0', "
            "'{\"cpu_model_name\": \"Old CPU\"}', '-membench', 1);"
            "INSERT INTO subscores VALUES(7, 'memory', 950.25);"
            "PRAGMA user_version=1;");
    }
    {
        store::Store s(v1);
        EXPECT_EQ(s.database().query_int("PRAGMA user_version"), store::kSchemaVersion);
        ASSERT_TRUE(s.run(7));
        EXPECT_EQ(s.run(7)->processor, "Old CPU");
        auto run = store::run_from_results(results_doc(1, false), nullptr);
        run->content_hash = "h";
        EXPECT_EQ(s.run(s.record(*run))->document, run->document);
        EXPECT_EQ(s.run(7)->document, "");
        const auto rows = s.history();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1].subscores[0].value, 950.25);
    }

    const auto newer = dir.path() / "newer.sqlite";
    { store::Database(newer, true).exec("CREATE TABLE t(x); PRAGMA user_version=99;"); }
    const std::string before = testing_support::read_file(newer);
    try {
        store::Store s(newer);
        ADD_FAILURE() << "a newer store was opened";
    } catch (const store::Error& e) {
        EXPECT_NE(std::string(e.what()).find("newer version"), std::string::npos) << e.what();
    }
    EXPECT_EQ(testing_support::read_file(newer), before);
}

TEST(StoreConcurrency, TwoProcessesRecordingAtOnceLoseNoRow) {
    TempDir dir;
    const auto db = dir.path() / "shared.sqlite";
    pid_t kids[2];
    for (int k = 0; k < 2; ++k) {
        kids[k] = ::fork();
        if (kids[k] == 0) {
            [&]() noexcept {  // an error ends the child abnormally
                for (int i = 0; i < 50; ++i) {
                    store::Store s(db);  // each run opens the store as a program would
                    auto run = store::run_from_results(results_doc(100 + i, false), nullptr);
                    run->content_hash = std::to_string(k) + "-" + std::to_string(i);
                    s.record(*run);
                }
            }();
            ::_exit(0);
        }
    }
    for (pid_t kid : kids) {
        int status = 0;
        ::waitpid(kid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    store::Store s(db);
    EXPECT_EQ(s.database().query_int("SELECT count(*) FROM runs"), 100);
    EXPECT_EQ(s.database().query_int("SELECT count(*) FROM figures"), 300);
}

// One run for the history: its md and cipher sub-scores both `score`; the MD deck as
// "name/atoms" (empty: kept without its document, so its inputs are unknown); `spread` makes
// the MD time a repeated figure.
struct HistoryRun {
    const char* host;
    std::string deck;
    double score;
    double spread = 0;
};

TEST(StoreHistory, DropFlaggedAgainstTheHostsEarlierRunsOnTheSameInputs) {
    // Newest run first. Cipher reads no deck, so its runs compare whatever the MD deck was.
    const struct {
        const char* name;
        std::vector<HistoryRun> runs;
        const char* flags;  // sub-score and drop (percent) of each flag
    } rows[] = {
        {"10% drop; another host never counts",
         {{"a", "Ar/32", 900}, {"b", "Ar/32", 2000}, {"a", "Ar/32", 1000}},
         "md 10 cipher 10 "},
        {"4% drop", {{"a", "Ar/32", 960}, {"a", "Ar/32", 1000}}, ""},
        {"10% drop within a 15% spread",
         {{"a", "Ar/32", 900, 0.15}, {"a", "Ar/32", 1000}},
         "cipher 10 "},
        {"10% drop beyond a 2% spread",
         {{"a", "Ar/32", 900, 0.02}, {"a", "Ar/32", 1000}},
         "md 10 cipher 10 "},
        {"a larger deck of the same name",
         {{"a", "Ar/500", 500}, {"a", "Ar/32", 1000}, {"a", "Ar/32", 1000}},
         "cipher 50 "},
        {"another deck", {{"a", "Kr/32", 500}, {"a", "Ar/32", 1000}}, "cipher 50 "},
        {"a drop on one deck among others",
         {{"a", "Ar/500", 450}, {"a", "Ar/32", 1000}, {"a", "Ar/500", 500}},
         "md 10 cipher 40 "},
        {"unknown inputs against unknown ones only",
         {{"a", "", 900}, {"a", "Ar/32", 2000}, {"a", "", 1000}},
         "md 10 cipher 40 "},
        {"known inputs never against unknown ones",
         {{"a", "Ar/32", 500}, {"a", "", 1000}},
         "cipher 50 "},
    };
    TempDir dir;
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        store::Store s(dir.path() / (std::to_string(++n) + ".sqlite"));
        for (std::size_t k = 0; k < row.runs.size(); ++k) {
            const HistoryRun& r = row.runs[k];
            const std::size_t slash = r.deck.find('/');
            json doc = {{"started_utc", "2026-12-0" + std::to_string(9 - k) + "T10:00:00Z"},
                        {"provenance", {{"host_name", r.host}}},
                        {"subscores", {{"md", r.score}, {"cipher", r.score}}}};
            doc["md"] = {{"status", "completed"},
                         {"headline", {{"name", "time"}, {"value", 1.0}, {"unit", "s"}}}};
            if (slash != std::string::npos)
                doc["md"].update({{"deck", r.deck.substr(0, slash)},
                                  {"atoms", std::stoi(r.deck.substr(slash + 1))},
                                  {"steps", 20}});
            if (r.spread)
                doc["repeat"]["spread"]["md.time"] = {
                    {"min", 1.0}, {"median", 1.0}, {"max", 1.0 + r.spread}};
            auto run = store::run_from_results(doc, nullptr);
            ASSERT_TRUE(run);
            if (r.deck.empty()) run->document.clear();
            run->content_hash = std::to_string(k);
            s.record(*run);
        }
        const auto history = s.history();
        const auto flags = store::find_regressions(history);
        std::string got;
        for (const store::Regression& f : flags)
            got += app::strprintf("%s %.0f ", f.subscore.c_str(), f.drop_percent);
        EXPECT_EQ(got, row.flags);
        EXPECT_EQ(count_of(store::history_text(history, flags), "possible regression"),
                  static_cast<int>(flags.size()));
    }
}

}  // namespace
