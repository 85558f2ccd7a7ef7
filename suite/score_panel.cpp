#include "suite/score_panel.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"

namespace suite {

int bar_end_offset(float value) {
    if (std::isnan(value) || value < 0.0f) return -1;
    const float x = value / kPanelFullScale * static_cast<float>(kBarMaxColumns);
    return static_cast<int>(std::min(x, static_cast<float>(kBarMaxColumns - 1)));
}

int bar_columns(float value) {
    return std::clamp(bar_end_offset(value) + 1, 0, kBarMaxColumns);
}

bool bar_clipped(float value) {
    return value > kPanelFullScale;
}

bool draws_score_bar(float score) {
    return score > 0.0f;
}

std::vector<Segment> clip_marker(int x0, int top, int bottom) {
    const int tip = x0 + kBarMaxColumns - 1 - 3;
    const int mid = (top + bottom) / 2;
    const int arm = std::max(1, std::min(5, (bottom - top) / 2 - 2));
    std::vector<Segment> out;
    for (int shift : {0, 1})
        for (int dir : {-1, 1})
            out.push_back({tip - shift - arm, mid + dir * arm, tip - shift, mid});
    return out;
}

std::string elide_right(const std::string& text, int max_width,
                        const std::function<int(const std::string&)>& width_of) {
    if (width_of(text) <= max_width) return text;
    static const std::string kEllipsis = "\u2026";
    std::string cut = text;
    while (!cut.empty()) {
        // Drop one whole UTF-8 character: continuation bytes first, then its lead byte.
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80)
            cut.pop_back();
        if (!cut.empty()) cut.pop_back();
        while (!cut.empty() && cut.back() == ' ') cut.pop_back();
        if (width_of(cut + kEllipsis) <= max_width) break;
    }
    return cut + kEllipsis;
}

bool has_any_figure(const SubScores& s) {
    for (float v : s.value)
        if (v > 0.0f && std::isfinite(v)) return true;
    return false;
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
    const std::optional<float> v = profile.values[static_cast<std::size_t>(g.profile_slot)];
    // Absent: a benchmark the saved run did not measure (written as -1).
    if (!v || std::isnan(*v) || *v < 0.0f) return std::nullopt;
    return v;
}

ProfileContents profile_contents(std::string description, const SubScores& scores,
                                 const std::vector<float>& clock_rates) {
    ProfileContents c;
    c.description = std::move(description);
    c.clock_rates = clock_rates;
    // Value 7 is not read by anything: 0. The cipher slot is not drawn, but stored. A benchmark
    // without a figure is stored as absent.
    c.values = {};
    for (const app::ScoreGroup& g : app::score_groups()) {
        const float v = scores.of(g.key);
        c.values[static_cast<std::size_t>(g.profile_slot)] =
            v > 0.0f && std::isfinite(v) ? v : kNotMeasured;
    }
    return c;
}

}  // namespace suite
