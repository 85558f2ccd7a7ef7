#include "stream/stream_graph.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"

namespace stream {
namespace {
constexpr app::BarRamp kBlue = app::ramp_from_fifth({0, 0, 255});
}  // namespace

double stream_scale(const RateTable& rates) {
    double scale = 0;
    for (const auto& kernel : rates)
        for (double v : kernel)
            if (std::isfinite(v)) scale = std::max(scale, v);
    return scale;
}

std::string stream_rate_text(double mbs) {
    if (mbs == kNotSupported) return "ISA not supported.";
    if (!std::isfinite(mbs) || mbs < 0) return "No result.";
    return app::strprintf("%.2f MB/s", mbs);
}

std::vector<app::GradientBar> stream_bars(const RateTable& rates, int row_step) {
    const double scale = stream_scale(rates);
    std::vector<app::GradientBar> bars;
    for (int row = 0; row < kStreamRows; ++row) {
        const int form = row % 3;
        // The x87 rows keep their place but show nothing: no pass fills them.
        if (form == kFormX87) continue;
        const double v = rates[static_cast<std::size_t>(row / 3)][static_cast<std::size_t>(form)];
        app::GradientBar b;
        b.y = kStreamFirstRowTop + row * row_step;
        b.length = app::scaled_bar_length(v, scale, kStreamBarMax);
        b.height = kStreamBarHeight;
        b.ramp = kBlue;
        b.text = stream_rate_text(v);
        b.text_clip = kStreamTextClip;
        bars.push_back(b);
    }
    return bars;
}

}  // namespace stream
