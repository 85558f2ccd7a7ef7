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

float row_score(const SubScores& s, PanelRow row) {
    switch (row) {
        case PanelRow::MolDyn:
            return s.md;
        case PanelRow::Orbitra:
            return s.orbitra;
        case PanelRow::Cipher:
            return s.cipher;
        case PanelRow::Stream:
            return s.stream;
        case PanelRow::Memory:
            return s.memory;
        case PanelRow::Blas:
            return s.blas;
    }
    return kNotMeasured;
}

std::optional<float> row_profile_value(const Profile& profile, PanelRow row) {
    if (!profile.opened) return std::nullopt;
    switch (row) {
        case PanelRow::MolDyn:
            return profile.values[kProfileMolDyn];
        case PanelRow::Orbitra:
            return profile.values[kProfileOrbitra];
        case PanelRow::Cipher:
            return std::nullopt;
        case PanelRow::Stream:
            return profile.values[kProfileStream];
        case PanelRow::Memory:
            return profile.values[kProfileMemory];
        case PanelRow::Blas:
            return profile.values[kProfileBlas];
    }
    return std::nullopt;
}

ProfileContents profile_contents(std::string description, const SubScores& scores,
                                 const std::vector<float>& clock_rates) {
    ProfileContents c;
    c.description = std::move(description);
    c.clock_rates = clock_rates;
    // Values 3 and 7 are not shown by any reader (the cipher row has no comparison bar): 0.
    c.values = {scores.memory, scores.stream, 0.0f, scores.md, scores.orbitra, scores.blas, 0.0f};
    return c;
}

}  // namespace suite
