#include "md/energy_graph.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"

namespace md {

GraphWindow graph_window(const double* history, int32_t step_count) {
    GraphWindow w;
    if (!history || step_count <= 0) return w;
    w.first = std::max(step_count - kGraphSteps, 0);
    w.count = step_count - w.first;
    bool any = false;
    for (int32_t i = w.first; i < step_count; ++i) {
        const double v = history[i];
        if (!std::isfinite(v)) continue;
        if (!any || v < w.min) w.min = v;
        if (!any || v > w.max) w.max = v;
        any = true;
    }
    return w;
}

int graph_y(double value, double min, double max, int top) {
    const double range = max - min;
    int offset = kGraphHeight / 2;
    // Equal extremes would divide by zero: a flat history is drawn through the middle.
    if (range > 0 && std::isfinite(range) && std::isfinite(value)) {
        const double scaled = std::clamp((value - min) / range, 0.0, 1.0) * kGraphHeight;
        offset = static_cast<int>(std::trunc(scaled));
    }
    return top + 1 + kGraphHeight - offset;
}

std::vector<GraphPoint> graph_polyline(const double* history, int32_t step_count, int left,
                                       int top) {
    std::vector<GraphPoint> points;
    const GraphWindow w = graph_window(history, step_count);
    if (w.count <= 0) return points;
    points.reserve(static_cast<size_t>(w.count) + 1);
    const int y0 = graph_y(history[w.first], w.min, w.max, top);
    points.push_back({left, y0});
    for (int32_t i = w.first; i < w.first + w.count; ++i)
        points.push_back({left + 1 + (i - w.first), graph_y(history[i], w.min, w.max, top)});
    return points;
}

std::string graph_max_text(const GraphWindow& w) {
    return app::strprintf("Max: %.7f", w.max);
}

std::string graph_min_text(const GraphWindow& w) {
    return app::strprintf("Min: %.7f", w.min);
}

}  // namespace md
