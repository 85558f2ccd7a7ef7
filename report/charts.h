// The report's charts as inline SVG, each drawn by the painter its window uses (through Qt
// SVG's QSvgGenerator): empty when the run lacks the figures the chart needs. `doc` holds the
// run's results-file sections (store::RunData::document).
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "suite/profile.h"
#include "suite/suite_dialog.h"

namespace report {

// The "Benchmark Score" panel: the run's bars and the profile's.
std::string score_panel_svg(const suite::SubScores& scores, const suite::Profile& profile);
// The memory dialog's bandwidth bars and latency bars.
std::string memory_bars_svg(const nlohmann::json& doc);
// The STREAM dialog's bars.
std::string stream_bars_svg(const nlohmann::json& doc);
// The matrix multiply dialog's MFLOPS graph of `step` ("sgemm", "dgemm") with its ISA peak.
std::string gemm_graph_svg(const nlohmann::json& doc, const char* step);
// The molecular dynamics dialog's two energy graphs.
std::string md_graphs_svg(const nlohmann::json& doc);
// The Orbitra dialog's virial-factor graph.
std::string virial_graph_svg(const nlohmann::json& doc);

// One sub-score over several runs, oldest first (missing figures leave a gap); the labels
// name the runs under their points.
struct TrendPoint {
    std::string label;
    double value = 0;
    bool present = false;
};
std::string trend_chart_svg(const std::vector<TrendPoint>& points);

}  // namespace report
