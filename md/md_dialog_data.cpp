#include "md/md_dialog_data.h"

#include <cstdio>
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

}  // namespace md
