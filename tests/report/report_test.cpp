// The HTML report: hostile texts escaped, an unwritable path refused with nothing left behind,
// and the page as a real browser (headless Chromium) draws it: every chart has ink where it
// sits, and the figures read as the results file has them.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "app/format.h"
#include "report/html.h"
#include "report/report.h"
#include "store/commands.h"
#include "store/results_store.h"
#include "support/temp_dir.h"

namespace {

using nlohmann::json;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

// A results document with every section the report draws; `scale` moves every figure.
json results_doc(const std::string& host, const std::string& started, double scale) {
    json lat = json::array();
    for (int r = 0; r < 14; ++r) lat.push_back(json::array({2, 4 + r, 9 + r, 30 + 5 * r, 60, 80}));
    json sizes = json::array(), mflops = json::array(), ke = json::array(), pe = json::array(),
         virial = json::array(), rates = json::array();
    for (int i = 0; i < 24; ++i) {
        sizes.push_back(64 * (i + 1));
        mflops.push_back(scale * (4000 + 3000 * std::sin(i / 5.0)));
    }
    for (int i = 0; i < 231; ++i) {
        ke.push_back(80 + 10 * std::sin(i / 9.0));
        pe.push_back(-900 - 20 * std::cos(i / 13.0));
    }
    for (int i = 0; i < 40; ++i) virial.push_back(-1.0 - 6.0 * i / 40);
    for (const char* k : {"copy", "scale", "add", "triad"})
        for (const char* f : {"x87", "sse2", "sse2_block"})
            rates.push_back({{"kernel", k},
                             {"form", f},
                             {"value", std::string(f) == "x87" ? json() : json(scale * 9000.5)},
                             {"unit", "MB/s"}});
    const auto sec = [](json j, const char* name, double v, const char* unit) {
        j["status"] = "completed";
        j["headline"] = {{"name", name}, {"value", v}, {"unit", unit}};
        return j;
    };
    json doc = {
        {"format", "lumetra2-results"},
        {"format_version", 2},
        {"program", "Lumetra 2.0"},
        {"started_utc", started},
        {"interrupted", false},
        {"processor", {{"brand", "Test CPU <b>"}, {"clock_mhz", 2300.0}}},
        {"provenance",
         {{"host_name", host},
          {"command_line", "lumetra2-cli -runallbench <i>\x01"},
          {"program_version", "2.0"},
          {"source_revision", "v2.0"}}},
        {"caches", {{"l2", {{"size_kb", 2048}}}}},
        {"subscores",
         {{"memory", 1234.5 * scale},
          {"stream", 987.25 * scale},
          {"md", 1500.0 * scale},
          {"orbitra", 800.75 * scale},
          {"cipher", 2100.0 * scale},
          {"blas", 3100.5 * scale}}},
        {"memory", sec({{"bests", {{"l1", 90000.0}, {"l2", 40000.0}, {"memory", 12000.0 * scale}}},
                        {"latency_ns", 80.0},
                        {"latency_table", lat}},
                       "bandwidth", 12000.0 * scale, "MiB/s")},
        {"stream", sec({{"rates", rates}}, "score", 987.25 * scale, "LumetraMarks")},
        {"sgemm", sec({{"sizes", sizes}, {"mflops", mflops}, {"isa_peak_mflops", 9200.0}},
                      "peak_rate", 7000.0 * scale, "MFLOPS")},
        {"md",
         sec({{"kinetic_history_K", ke}, {"potential_history_K", pe}}, "time", 12.5 / scale, "s")},
        {"orbitra", sec({{"virial_history", virial}}, "time", 3.25 / scale, "s")},
    };
    return doc;
}

struct Fixture {
    TempDir dir;
    std::filesystem::path store = dir.path() / "s.sqlite";
    std::vector<json> docs;
    void add(const json& doc) {
        docs.push_back(doc);
        const auto file = dir.path() / ("r" + std::to_string(docs.size()) + ".json");
        write_file(file, doc.dump());
        EXPECT_EQ(store::import_results_files(store, {file.string()}, stdout, stderr), 0);
    }
    int report(const std::filesystem::path& out, report::Request rq, std::string* err = nullptr) {
        rq.store_path = store;
        rq.out_path = out;
        std::FILE* e = std::tmpfile();
        const int rc = report::write_report(rq, stdout, e);
        std::rewind(e);
        char buf[4096] = {};
        const std::size_t n = std::fread(buf, 1, sizeof buf - 1, e);
        std::fclose(e);
        if (err) *err = std::string(buf, n);
        return rc;
    }
};

TEST(ReportText, EscapesMarkupAndBytesThatAreNotUtf8) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"<a href='x'>&\"", "&lt;a href=&#39;x&#39;&gt;&amp;&quot;"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
        {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // cut short
        {"tab\there\x01", "tab\there\xEF\xBF\xBD"},
    };
    for (const auto& r : rows) EXPECT_EQ(report::html_escape(r.in), r.out) << r.in;
}

TEST(ReportFile, HostileTextsShownNotInterpretedAndBadPathsRefused) {
    Fixture f;
    // A host name straight from the system: not even UTF-8.
    auto run = store::run_from_results(results_doc("x", "2026-01-02T03:04:05Z", 1), nullptr);
    ASSERT_TRUE(run);
    run->host = "<script>alert(1)</script>\xfe";
    store::Store(f.store).record(*run);
    const auto profile = f.dir.path() / "evil.rst";
    write_file(profile,
               "a\nb\nc\nd\n<img src=x onerror=alert(2)>\xff\n1\n2000\n"
               "1000 1000 0 1000 1000 1000 0\n");
    report::Request rq;
    rq.profile_path = profile;
    const auto out = f.dir.path() / "r.html";
    ASSERT_EQ(f.report(out, rq), 0);
    const std::string html = read_file(out);
    for (const char* bad : {"<script", "<img", "<i>", "<b>", "\x01", "\xff", "\xfe"})
        EXPECT_EQ(html.find(bad), std::string::npos) << bad;
    for (const char* good : {"&lt;script&gt;alert(1)&lt;/script&gt;", "&lt;img src=x"})
        EXPECT_NE(html.find(good), std::string::npos) << good;

    const auto file = f.dir.path() / "file";
    write_file(file, "x");
    for (const auto& bad : {file / "r.html", f.dir.path() / "missing" / "r.html", f.dir.path()}) {
        std::string err;
        EXPECT_EQ(f.report(bad, {}, &err), 1) << bad;
        EXPECT_NE(err.find("--report"), std::string::npos) << err;
    }
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(f.dir.path()))
        entries += !e.is_directory();
    EXPECT_EQ(entries, 4u);  // the store, the profile, the report, `file`
}

// The chart boxes as the browser lays them out: a copy of the page with a script that writes
// them into the title, read back with --dump-dom.
std::map<std::string, QRect> chart_boxes(const std::filesystem::path& html) {
    std::string page = read_file(html);
    const std::string probe =
        "<script>document.title=[...document.querySelectorAll('figure')].map(f=>{const r="
        "f.querySelector('svg').getBoundingClientRect();return f.id+':'+[r.x,r.y,r.width,"
        "r.height].map(Math.round).join(',')}).join(';')</script>";
    page.insert(page.rfind("</body>"), probe);
    const auto probe_file = html.parent_path() / "probe.html";
    write_file(probe_file, page);
    const std::string dom = html.parent_path() / "dom.txt";
    const std::string cmd =
        "chromium --headless --no-sandbox --disable-gpu --window-size=1400,2400 "
        "--dump-dom 'file://" +
        probe_file.string() + "' > " + dom + " 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    const std::string text = read_file(dom);
    std::map<std::string, QRect> boxes;
    const std::size_t a = text.find("<title>"), b = text.find("</title>");
    std::istringstream title(a == std::string::npos ? "" : text.substr(a + 7, b - a - 7));
    for (std::string entry; std::getline(title, entry, ';');) {
        char id[64] = {};
        int x = 0, y = 0, w = 0, h = 0;
        if (std::sscanf(entry.c_str(), "%63[a-z-]:%d,%d,%d,%d", id, &x, &y, &w, &h) == 5)
            boxes[id] = QRect(x, y, w, h);
    }
    return boxes;
}

// The share of a box's pixels that are neither white nor the window grey.
double ink(const QImage& png, const QRect& box) {
    int n = 0, inked = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x, ++n) {
            const QRgb c = png.pixel(x, y);
            inked += c != qRgb(255, 255, 255) && c != qRgb(240, 240, 240);
        }
    return n ? double(inked) / n : 0;
}

TEST(ReportInBrowser, ChartsDrawnWhereTheySitAndFiguresAsTheResultsFileHasThem) {
    if (std::system("command -v chromium > /dev/null") != 0) GTEST_SKIP() << "no chromium";
    Fixture f;
    f.add(results_doc("alpha", "2026-01-01T10:00:00Z", 1.0));
    f.add(results_doc("beta", "2026-01-02T10:00:00Z", 1.25));
    f.add(results_doc("alpha", "2026-01-03T10:00:00Z", 0.9));
    report::Request all;
    all.all = true;
    const struct {
        const char* name;
        report::Request rq;
        std::vector<const char*> charts;
        std::size_t runs;
    } cases[] = {
        {"one",
         {},
         {"chart-score", "chart-memory", "chart-stream", "chart-sgemm", "chart-md",
          "chart-orbitra"},
         1},
        {"three",
         all,
         {"trend-memory", "trend-stream", "trend-md", "trend-orbitra", "trend-cipher",
          "trend-blas"},
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto html = f.dir.path() / (std::string(c.name) + ".html");
        ASSERT_EQ(f.report(html, c.rq), 0);
        const std::string page = read_file(html);
        // Every sub-score and headline figure of each run, as "%.2f" of the file's number.
        for (std::size_t r = f.docs.size() - c.runs; r < f.docs.size(); ++r) {
            const json& d = f.docs[r];
            for (const auto& [key, v] : d["subscores"].items()) {
                const std::string cell =
                    "data-figure=\"subscore." + key + "\"" +
                    (c.runs > 1 ? " data-run=\"" + std::to_string(r + 1) + "\"" : "") + ">" +
                    app::strprintf("%.2f", v.get<double>());
                EXPECT_NE(page.find(cell), std::string::npos) << cell;
            }
        }
        const std::string png_path = (f.dir.path() / (std::string(c.name) + ".png")).string();
        const std::string cmd =
            "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars "
            "--window-size=1400,2400 --screenshot=" +
            png_path + " 'file://" + html.string() + "' > /dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        // To look at: LUMETRA_KEEP_REPORT=DIR keeps the pages and their pictures.
        if (const char* keep = std::getenv("LUMETRA_KEEP_REPORT"))
            for (const char* ext : {".png", ".html"})
                std::filesystem::copy_file(f.dir.path() / (c.name + std::string(ext)),
                                           std::string(keep) + "/" + c.name + ext,
                                           std::filesystem::copy_options::overwrite_existing);
        const QImage png(QString::fromStdString(png_path));
        ASSERT_FALSE(png.isNull());
        const auto boxes = chart_boxes(html);
        for (const char* id : c.charts) {
            ASSERT_TRUE(boxes.count(id)) << id;
            const QRect box = boxes.at(id);
            EXPECT_GT(box.width(), 100) << id;
            EXPECT_GT(ink(png, box), 0.01) << id;
        }
        EXPECT_EQ(boxes.count("chart-dgemm"), 0u);  // no DGEMM in the runs: no empty graph
    }
}

}  // namespace
