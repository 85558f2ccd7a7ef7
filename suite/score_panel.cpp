#include "suite/score_panel.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"

namespace suite {

int bar_end_offset(float value) {
    if (std::isnan(value)) return -1;
    const float x = value / kPanelFullScale * static_cast<float>(kPanelBoxWidth);
    // Far beyond any box either way: the column count is already decided.
    const float limit = 4.0f * kPanelBoxWidth;
    return static_cast<int>(std::clamp(x, -limit, limit));
}

int bar_columns(float value) {
    return std::clamp(bar_end_offset(value) + 1, 0, kPanelBoxWidth);
}

bool draws_score_bar(float score) {
    return score > 0.0f;
}

Rgb score_column_colour(int k) {
    return {0, 0, std::min(51 + k, 255)};
}

Rgb profile_column_colour(int k) {
    return {std::min(51 + k, 255), 0, 0};
}

std::string marks_text(float value) {
    return app::strprintf("%.2f LumetraMarks", value);
}

std::string comparison_platform_text(const Profile& profile) {
    return app::strprintf("Comparison Platform: %s", profile.description.c_str());
}

std::string comparison_cpu_text(const Profile& profile) {
    if (!profile.processors || *profile.processors < 1) return {};
    const int n = *profile.processors;
    std::string out = app::strprintf(n == 1 ? "%d CPU at " : "%d CPUs at ", n);
    const int shown = std::min(n, static_cast<int>(kMaxProfileRates));
    for (int i = 0; i < shown; ++i) {
        const bool last = i + 1 == shown;
        if (i < static_cast<int>(profile.clock_rates.size()))
            out += app::strprintf(last ? "%.2f MHz" : "%.2f MHz/", profile.clock_rates[i]);
        else
            out += last ? "None" : "None/";
    }
    return out;
}

const app::ScoreGroup& panel_group(PanelRow row) {
    for (const app::ScoreGroup& g : app::score_groups())
        if (g.panel_rank == static_cast<int>(row)) return g;
    return app::score_groups()[0];
}

float row_score(const SubScores& s, PanelRow row) {
    return s.of(panel_group(row).key);
}

std::optional<float> row_profile_value(const Profile& profile, PanelRow row) {
    const app::ScoreGroup& g = panel_group(row);
    if (!profile.opened || !g.shows_profile) return std::nullopt;
    return profile.values[static_cast<std::size_t>(g.profile_slot)];
}

ProfileContents profile_contents(std::string description, const SubScores& scores,
                                 const std::vector<float>& clock_rates) {
    ProfileContents c;
    c.description = std::move(description);
    c.clock_rates = clock_rates;
    // Value 7 is not read by anything: 0. The cipher slot is not drawn either, but stored.
    c.values = {};
    for (const app::ScoreGroup& g : app::score_groups())
        c.values[static_cast<std::size_t>(g.profile_slot)] = scores.of(g.key);
    return c;
}

}  // namespace suite
