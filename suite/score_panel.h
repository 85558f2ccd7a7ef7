// The figures of the "Benchmark Score" panel as pure functions: the window only paints what
// these return. Full scale is 3000 points over the width a bar has inside its 458-pixel box; a
// bar is drawn as one-pixel columns whose colour ramps from 51 to 255, and a score beyond full
// scale ends in a chevron that says the bar is cut.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/benchmarks.h"
#include "suite/profile.h"
#include "suite/suite_dialog.h"

namespace suite {

inline constexpr int kPanelBoxWidth = 458;
inline constexpr float kPanelFullScale = 3000.0f;
// Offsets from a score label's top-left corner.
inline constexpr int kBarLeft = 5;
// The widest bar: the box less the same margin on both sides, so it stays inside the sunken
// edge.
inline constexpr int kBarMaxColumns = kPanelBoxWidth - 2 * kBarLeft;
// A score label covers the rows above the first bar (its text needs room for descenders).
inline constexpr int kLabelWidth = 200;
inline constexpr int kLabelHeight = 16;
inline constexpr int kLabelTextLeft = 5, kLabelTextTop = 1;
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

// x1 - x0 for a value: value / 3000 * 448 in single precision, truncated, at most 447 (the
// last column of a full bar). Values below 0 and NaN give -1.
int bar_end_offset(float value);
// Columns drawn for a value: min(x1 - x0 + 1, 448), never below 0.
int bar_columns(float value);
// A value beyond full scale: its bar is cut at the box and ends in the clip marker.
bool bar_clipped(float value);
// Whether this machine's score draws a bar (only scores above 0).
bool draws_score_bar(float score);

// A line from (x0, y0) to (x1, y1), both ends drawn.
struct Segment {
    int x0, y0, x1, y1;
    bool operator==(const Segment&) const = default;
};
// The clip marker of a cut bar whose first column is `x0`, on rows `top` to `bottom`: a
// chevron two pixels thick pointing right, its tip 3 columns inside the bar's last column.
std::vector<Segment> clip_marker(int x0, int top, int bottom);

// `text` cut to at most `max_width` (as `width_of` measures it) with "…" at the end, whole
// UTF-8 characters only; the text itself when it fits.
std::string elide_right(const std::string& text, int max_width,
                        const std::function<int(const std::string&)>& width_of);
// The room for a comparison line: the box less the text's margin on both sides.
inline constexpr int kComparisonTextWidth = kPanelBoxWidth - 2 * kComparisonTextLeft;

// "Save as Profile..." is offered once a run has produced a figure and while none runs.
bool has_any_figure(const SubScores& scores);
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
// The profile's value for a row; none for the cipher row (it has no comparison bar), for
// values not read, and for values stored as absent (below 0, or not a number).
std::optional<float> row_profile_value(const Profile& profile, PanelRow row);

// A profile of this machine's scores, in file order (3 carries the cipher score, 7 is 0). A
// benchmark without a figure is stored as absent (kNotMeasured).
ProfileContents profile_contents(std::string description, const SubScores& scores,
                                 const std::vector<float>& clock_rates);

}  // namespace suite
