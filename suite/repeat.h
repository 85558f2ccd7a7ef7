// A queued selection run several times: every run's figures kept, min / median / max and the
// coefficient of variation of each headline figure, and sub-scores made from the medians.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "suite/automation.h"

namespace suite {

// A figure whose coefficient of variation exceeds this (percent) is flagged.
inline constexpr double kUnsteadyCvPercent = 5.0;

struct Spread {
    double min = 0, median = 0, max = 0;
    double mean = 0;
    double cv_percent = 0;  // sample standard deviation over the mean; 0 for one value
};

Spread spread_of(std::vector<double> values);

// One headline figure over the runs: "memory.bandwidth_mbs", "Memory: bandwidth_mbs".
struct FigureSpread {
    std::string id;
    std::string label;
    std::string step;
    std::string figure;          // the record's figure name; empty: the headline
    std::vector<double> values;  // one per run that produced it, in run order
    Spread spread;
};

// The headline figures of every step (and the other figures a sub-score reads), in step order, over
// the runs. A figure is kept only when every run produced it.
std::vector<FigureSpread> figure_spreads(const std::vector<HandOverResult>& runs);

// The sub-scores from the median figures; a sub-score every run measured, else not measured.
SubScores median_subscores(const std::vector<HandOverResult>& runs,
                           const std::vector<FigureSpread>& figures);

// Sets each completed step's headline (and its other scored figures) to its median over the runs,
// so the summary's figures agree with its sub-scores.
void use_median_headlines(std::vector<StepOutcome>& steps,
                          const std::vector<FigureSpread>& figures);

// The summary printed before the sub-scores: one line per figure, flagged when unsteady with
// the load averages (negative: unknown).
std::string spread_report(const std::vector<FigureSpread>& figures, int runs, double load_start,
                          double load_end);

// The results file's "repeat" section: the count, every run's sections and sub-scores, the
// spreads.
nlohmann::json repeat_json(const std::vector<HandOverResult>& runs,
                           const std::vector<FigureSpread>& figures);

// The queued selection `count` times for the command-line program (count 1: exactly the single
// run). One results file for all runs. Returns the exit status.
int run_queue_repeated_for_cli(const app::CommandLine& cl, const app::RunRegistry& registry,
                               app::ModalRunner& runner, int count, std::FILE* report_out,
                               std::FILE* progress_out);

}  // namespace suite
