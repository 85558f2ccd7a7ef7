// The profile reader and every figure the panel derives from what it read.
#include <string_view>

#include "fuzz_entries.h"
#include "suite/score_panel.h"

namespace fuzz {

int profile_reader(const uint8_t* data, std::size_t size) {
    const suite::Profile p =
        suite::parse_profile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (p.clock_rates.size() > suite::kMaxProfileRates) __builtin_trap();
    volatile std::size_t sink = suite::comparison_platform_text(p).size();
    sink = sink + suite::comparison_cpu_text(p).size();
    for (int r = 0; r < suite::kPanelRows; ++r) {
        const auto v = suite::row_profile_value(p, static_cast<suite::PanelRow>(r));
        if (!v) continue;
        const int cols = suite::bar_columns(*v);
        if (cols < 0 || cols > suite::kPanelBoxWidth) __builtin_trap();
        sink = sink + suite::marks_text(*v).size();
    }
    (void)sink;
    return 0;
}

}  // namespace fuzz
