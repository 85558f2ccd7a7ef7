// The figures of the matrix multiply dialog's drawing as plain functions, so the window only
// paints them: the bar chart rows and lengths, and the points of the MFLOPS graph.
#pragma once

#include <array>
#include <string>

#include <vector>

#include "app/gradient_bar.h"
#include "blas/matrix_run.h"

namespace blas {

// The bar chart's six rows: their labels and the size index each shows (when 24 sizes ran).
inline constexpr std::array<int, 6> kBarSizeIndex = {0, 1, 3, 7, 15, 23};
inline constexpr std::array<const char*, 6> kBarLabels = {"64x64",   "128x128",   "256x256",
                                                          "512x512", "1024x1024", "1536x1536"};

inline constexpr int kBarMaxLength = 525;
inline constexpr int kBarHeight = 15;
inline constexpr int kBarRowStep = 33;
inline constexpr int kGraphWidth = 310;
inline constexpr int kGraphHeight = 215;

// trunc(MFLOPS / 4000 x 525) + 1 pixels, at most 525.
int bar_length(double mflops);

// The horizontal step between graph points: 1 - trunc(-310 / size_count) (13 for 24 sizes).
int graph_x_step(int size_count);

struct GraphPoint {
    int x = 0;
    int y = 0;
};

// Point i of the curve in a graph whose top-left inner corner is (left, top): indices 0 and 1
// share one x position; `max` is the largest size_mflops entry.
GraphPoint graph_point(int left, int top, int size_count, int i, double mflops, double max);

// The six bars of the chart (red from 51 up), row i's top at i x `row_step`.
std::vector<app::GradientBar> size_bars(const MatrixTables& t, int row_step = kBarRowStep);

// The graph's full height in MFLOPS: the largest size figure, or, when the ISA peak is known
// and higher, enough to show its line at nine tenths of the height.
double graph_scale(double size_max, double isa_peak);
// The largest size_mflops entry.
double size_max(const MatrixTables& t);
// The y of the dashed ISA peak line in a graph of that scale.
int peak_line_y(int top, double isa_peak, double scale);

// The texts of the results box and the graph.
std::string compiled_text(const MatrixTables& t);                 // "%.5f" of the peak test
std::string peak_text(double peak);                               // "Peak MFLOPS: %.2f"
std::string flops_per_cycle_text(double peak, double clock_mhz);  // "FLOPS/cycle: %.2f"
std::string bar_value_text(double mflops);                        // "%.2f MFLOPS"
std::string graph_peak_text(double max);                          // "Peak: %.2f MFLOPS"
std::string graph_label(int size_index);                          // "%dx%d" with (i + 1) x 64

}  // namespace blas
