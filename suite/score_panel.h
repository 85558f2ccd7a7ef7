// The figures of the "Benchmark Score" panel as pure functions: the window only paints what
// these return. Full scale is 3000 points over a 458-pixel box; a bar is drawn as one-pixel
// columns whose colour ramps from 51 to 255.
#pragma once

#include <optional>
#include <string>

#include "app/benchmarks.h"
#include "suite/profile.h"
#include "suite/suite_dialog.h"

namespace suite {

inline constexpr int kPanelBoxWidth = 458;
inline constexpr float kPanelFullScale = 3000.0f;
// Offsets from a score label's top-left corner.
inline constexpr int kBarLeft = 5;
inline constexpr int kScoreBarTop = 17, kScoreBarBottom = 37;
inline constexpr int kProfileBarTop = 39, kProfileBarBottom = 59;
// The comparison box below the BLAS box, and its text.
inline constexpr int kComparisonBoxGap = 2;
inline constexpr int kComparisonBoxHeight = 33;
inline constexpr int kComparisonTextLeft = 4, kComparisonTextTop = 1;
inline constexpr int kComparisonLineStep = 15;
// Vertical distance between the first two labels, less this, is the box height.
inline constexpr int kBoxHeightShrink = 2;

// The six panel rows in the order of their labels (the score groups' panel ranks).
enum class PanelRow { MolDyn, Orbitra, Cipher, Stream, Memory, Blas };
inline constexpr int kPanelRows = static_cast<int>(app::kScoreGroupCount);
// The score group shown in a panel row.
const app::ScoreGroup& panel_group(PanelRow row);

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// x1 - x0 for a value: value / 3000 * 458 in single precision, truncated. Values beyond any
// box (and NaN) are clamped so the conversion to an integer is always defined.
int bar_end_offset(float value);
// Columns drawn for a value: min(x1 - x0 + 1, 458), never below 0.
int bar_columns(float value);
// Whether this machine's score draws a bar (only scores above 0).
bool draws_score_bar(float score);
// Column k of this machine's bar (blue ramp) and of the profile's bar (red ramp).
Rgb score_column_colour(int k);
Rgb profile_column_colour(int k);

// "%.2f LumetraMarks"
std::string marks_text(float value);
// "Comparison Platform: %s"
std::string comparison_platform_text(const Profile& profile);
// The second comparison line ("2 CPUs at 2000.00 MHz/2200.00 MHz"); empty when no
// processor count of at least 1 was read. Rates missing from the file show as "None".
std::string comparison_cpu_text(const Profile& profile);

float row_score(const SubScores& scores, PanelRow row);
// The profile's value for a row; none for the cipher row and for values not read.
std::optional<float> row_profile_value(const Profile& profile, PanelRow row);

// A profile of this machine's scores, in file order (3 carries the cipher score, 7 is 0).
ProfileContents profile_contents(std::string description, const SubScores& scores,
                                 const std::vector<float>& clock_rates);

}  // namespace suite
