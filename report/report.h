// The HTML report of recorded runs: one self-contained page (inline SVG charts and CSS, no
// scripts, printable) with the windows' own graphs for one run, or a side-by-side table and a
// trend chart per sub-score for several.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "store/run_data.h"
#include "suite/profile.h"

#include <QtGlobal>

class QGuiApplication;

namespace report {

// The reference machine as a profile: every sub-score 1000.
suite::Profile reference_profile();

// The page for `runs` (oldest first when several), compared with `profile`.
std::string report_html(const std::vector<store::RunData>& runs, const suite::Profile& profile);

// What --report draws: explicit run ids, or the newest runs (of `host`, at most `last`, all
// with `all`), or else the newest run.
struct Request {
    std::filesystem::path store_path, out_path, profile_path;
    std::vector<std::int64_t> ids;
    bool all = false;
    std::string host;
    int last = 0;
};
// Writes the report atomically; 0, or 1 with the reason on `err` (nothing written then).
int write_report(const Request& request, std::FILE* out, std::FILE* err);

// A QGuiApplication on the offscreen platform for painting without a display, unless the
// process has one already; the numeric locale stays "C".
class PaintingContext {
  public:
    PaintingContext();
    ~PaintingContext();

  private:
    std::unique_ptr<QGuiApplication> app_;
    QtMessageHandler previous_handler_ = nullptr;
};

}  // namespace report
