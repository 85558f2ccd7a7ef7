// --compare on files of the current format and of the previous one: units, the better
// direction, single measurements, interrupted files, and the CSV and JSON forms.
#include <gtest/gtest.h>

#include "suite/compare.h"

namespace {

// The same run in either format: version 2 names and units, version 1's bare names and -1.
nlohmann::json run(int version, double bandwidth, double md_time, bool repeated) {
    nlohmann::json d = {{"program", "Lumetra 2.0"}, {"started_utc", "2026-12-07T02:11:15Z"}};
    const bool v2 = version == 2;
    if (v2) d["format"] = "lumetra2-results", d["format_version"] = 2;
    d["subscores"] = {{"memory", 1000.0}, {"md", 1500.0}};
    d["subscores"]["cipher"] = v2 ? nlohmann::json(nullptr) : nlohmann::json(-1.0);
    d["memory"] = {
        {"status", "completed"},
        {"latency_ns", 80.0},
        {"headline", {{"name", v2 ? "bandwidth" : "bandwidth_mbs"}, {"value", bandwidth}}}};
    d["md"] = {{"status", "completed"},
               {"headline", {{"name", v2 ? "time" : "time_s"}, {"value", md_time}}}};
    if (repeated)
        d["repeat"]["spread"][v2 ? "md.time" : "md.time_s"] = {
            {"min", md_time - 1}, {"median", md_time}, {"max", md_time + 1}};
    return d;
}

const nlohmann::json* row(const nlohmann::json& j, const std::string& id) {
    for (const nlohmann::json& r : j["rows"])
        if (r["id"] == id) return &r;
    return nullptr;
}

TEST(CompareFormat, EitherVersionGivesUnitsDirectionsAndSingleMeasurements) {
    for (const auto& [old_version, new_version] : {std::pair{1, 1}, {1, 2}, {2, 1}, {2, 2}}) {
        SCOPED_TRACE(std::to_string(old_version) + " vs " + std::to_string(new_version));
        const nlohmann::json j = nlohmann::json::parse(suite::compare_results(
            run(old_version, 4000, 50, true), run(new_version, 5000, 40, true), "a", "b",
            suite::CompareFormat::Json));
        struct Expect {
            const char* id;
            const char* unit;
            const char* better;
            double ratio;
            bool single;
        } rows[] = {{"memory.bandwidth", "MiB/s", "higher", 1.25, true},
                    {"md.time", "s", "lower", 0.8, false},
                    {"memory", "LumetraMarks", "higher", 1.0, false}};
        for (const Expect& e : rows) {
            const nlohmann::json* r = row(j, e.id);
            ASSERT_NE(r, nullptr) << e.id << " in " << j.dump();
            EXPECT_EQ((*r)["unit"], e.unit) << e.id;
            EXPECT_EQ((*r)["better"], e.better) << e.id;
            EXPECT_DOUBLE_EQ((*r)["ratio"].get<double>(), e.ratio) << e.id;
            EXPECT_EQ((*r)["old_single_measurement"], e.single) << e.id;
        }
        // Not measured on both sides, whether -1 or null: no ratio.
        const nlohmann::json* cipher = row(j, "cipher");
        ASSERT_NE(cipher, nullptr);
        EXPECT_TRUE((*cipher)["old"].is_null() && (*cipher)["ratio"].is_null());
    }
}

TEST(CompareFormat, TextCsvAndInterruptedFiles) {
    nlohmann::json n = run(2, 5000, 40, false);
    n["interrupted"] = true;
    const std::string text = suite::compare_results(run(1, 4000, 50, false), n);
    for (const char* piece :
         {"NEW: NEW (2026-12-07T02:11:15Z), interrupted", "NEW is an interrupted run", "4000.00*",
          "MiB/s", "lower", "* a single measurement"})
        EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
    const std::string csv =
        suite::compare_results(run(1, 4000, 50, false), n, "a", "b", suite::CompareFormat::Csv);
    EXPECT_NE(csv.find("figure,md.time,Molecular Dynamics: time,s,lower,50,40,0.8,1,1,0\n"),
              std::string::npos)
        << csv;
}

}  // namespace
