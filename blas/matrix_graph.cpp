#include "blas/matrix_graph.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"

namespace blas {

int bar_length(double mflops) {
    const double scaled = std::trunc(mflops / 4000.0 * kBarMaxLength) + 1.0;
    // Negative or absurd figures must not give a bar outside the box.
    return static_cast<int>(std::clamp(scaled, 0.0, double(kBarMaxLength)));
}

int graph_x_step(int size_count) {
    if (size_count <= 0) return 1;
    return 1 - static_cast<int>(std::trunc(-double(kGraphWidth) / size_count));
}

GraphPoint graph_point(int left, int top, int size_count, int i, double mflops, double max) {
    GraphPoint p;
    p.x = left + 1 + graph_x_step(size_count) * std::max(i, 1);
    const double fraction = max > 0.0 ? mflops / max : 0.0;
    p.y = top + 1 + kGraphHeight - static_cast<int>(std::trunc(fraction * kGraphHeight));
    return p;
}

std::vector<app::GradientBar> size_bars(const MatrixTables& t, int row_step) {
    std::vector<app::GradientBar> bars;
    for (std::size_t row = 0; row < kBarSizeIndex.size(); ++row) {
        const double mflops = t.size_mflops[static_cast<std::size_t>(kBarSizeIndex[row])];
        app::GradientBar b;
        b.y = static_cast<int>(row) * row_step;
        b.length = std::isfinite(mflops) ? bar_length(mflops) : 0;
        b.height = kBarHeight;
        b.ramp = app::ramp_from_fifth({255, 0, 0});
        b.text = bar_value_text(mflops);
        bars.push_back(b);
    }
    return bars;
}

double size_max(const MatrixTables& t) {
    double max = 0.0;
    for (int i = 0; i < std::clamp(t.size_count, 0, 100); ++i)
        if (std::isfinite(t.size_mflops[static_cast<std::size_t>(i)]))
            max = std::max(max, t.size_mflops[static_cast<std::size_t>(i)]);
    return max;
}

double graph_scale(double size_max, double isa_peak) {
    // The peak line sits a tenth below the top, where it does not hide in the edge.
    return std::isfinite(isa_peak) && isa_peak > 0.0 ? std::max(size_max, isa_peak / 0.9)
                                                     : size_max;
}

int peak_line_y(int top, double isa_peak, double scale) {
    return graph_point(0, top, 24, 0, isa_peak, scale).y;
}

std::string compiled_text(const MatrixTables& t) {
    return app::strprintf("%.5f", t.method_results[2][0]);
}

std::string peak_text(double peak) {
    return app::strprintf("Peak MFLOPS: %.2f", peak);
}

std::string flops_per_cycle_text(double peak, double clock_mhz) {
    return app::strprintf("FLOPS/cycle: %.2f", peak / clock_mhz);
}

std::string bar_value_text(double mflops) {
    return app::strprintf("%.2f MFLOPS", mflops);
}

std::string graph_peak_text(double max) {
    return app::strprintf("Peak: %.2f MFLOPS", max);
}

std::string graph_label(int size_index) {
    const int n = (size_index + 1) * 64;
    return app::strprintf("%dx%d", n, n);
}

}  // namespace blas
