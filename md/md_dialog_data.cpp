#include "md/md_dialog_data.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace md {

std::optional<int> species_from_name(std::string_view name) {
    for (size_t i = 0; i < kSpeciesNames.size(); ++i)
        if (name == kSpeciesNames[i]) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> lattice_from_name(std::string_view name) {
    for (size_t i = 0; i < kCubeTypeNames.size(); ++i)
        if (name == kCubeTypeNames[i]) return static_cast<int>(i);
    return std::nullopt;
}

void apply_resolution(ViewSettings& view, std::string_view choice) {
    int w = 0, h = 0, d = 0;
    char x1 = 0, x2 = 0;
    const std::string text(choice);
    if (std::sscanf(text.c_str(), "%d%c%d%c%d", &w, &x1, &h, &x2, &d) == 5 && w > 0 && h > 0 &&
        d > 0) {
        view.full_width = w;
        view.full_height = h;
        view.full_depth = d;
        return;
    }
    view.full_width = 640;
    view.full_height = 480;
    view.full_depth = 32;
}

TemperatureReading parse_temperature(std::string_view text) {
    TemperatureReading r;
    std::string t(text);
    const auto first = t.find_first_not_of(" \t");
    const auto last = t.find_last_not_of(" \t");
    t = first == std::string::npos ? std::string() : t.substr(first, last - first + 1);
    if (t.empty()) {
        r.problem = "Please enter a temperature in kelvin.";
        return r;
    }
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v)) {
        r.problem = "\"" + t + "\" is not a temperature. Please enter a number of kelvin.";
        return r;
    }
    if (v <= 0 || v > kMaxTemperature) {
        r.problem = "The temperature must be above 0 K and at most " +
                    std::to_string(static_cast<int>(kMaxTemperature)) + " K.";
        return r;
    }
    r.kelvin = v;
    return r;
}

}  // namespace md
