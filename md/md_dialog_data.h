// What the molecular dynamics dialog shows and offers, as plain data for any face: the option
// lists, the species names of the position lists, the view settings and the full-screen
// resolution choice. The Qt dialog fills its controls from here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace md {

// The cube-type list in lattice-type order (the dialog's sorted list shows them by name).
inline constexpr std::array<const char*, 3> kCubeTypeNames = {"Simple Cubic", "Body Centered Cubic",
                                                              "Face Centered Cubic"};
// Position lists, in species-code order ("Xeon" is how the dialog spells xenon).
inline constexpr std::array<const char*, 5> kSpeciesNames = {"Helium", "Neon", "Argon", "Krypton",
                                                             "Xeon"};
inline constexpr std::array<int, 7> kCellChoices = {3, 4, 5, 6, 7, 8, 9};
inline constexpr std::array<int, 3> kStepChoices = {1000, 5000, 25000};
inline constexpr std::array<const char*, 3> kTimeStepChoices = {"0.002", "0.0004", "0.0001"};
inline constexpr std::array<const char*, 20> kResolutionChoices = {
    "640x480x16",  "640x480x32",   "800x600x16",   "800x600x32",   "1024x768x16",
    "1024x768x32", "1152x864x16",  "1152x864x32",  "1280x768x16",  "1280x768x32",
    "1280x960x16", "1280x960x32",  "1280x1024x16", "1280x1024x32", "1600x900x16",
    "1600x900x32", "1600x1024x16", "1600x1024x32", "1600x1200x16", "1600x1200x32"};

// The species code of a position list's text; nothing for any other text.
std::optional<int> species_from_name(std::string_view name);
// The lattice type of a cube-type list's text.
std::optional<int> lattice_from_name(std::string_view name);

struct ViewSettings {
    bool full_screen = false;
    int width = 640, height = 480;
    int full_width = 640, full_height = 480, full_depth = 32;
    bool show_pitch_yaw = true;
    bool show_guide_cube = true;
};

// Takes a resolution choice ("1024x768x32") into the full-screen settings; an empty or
// unreadable choice gives 640 x 480 x 32.
void apply_resolution(ViewSettings& view, std::string_view choice);

// The temperature edit: a number of kelvin above 0 and at most this. Hotter than this, a
// noble-gas crystal is long gone and the step sizes of the lists are no longer stable.
inline constexpr double kMaxTemperature = 10000.0;

struct TemperatureReading {
    std::optional<double> kelvin;
    std::string problem;  // why the text was refused, for the user
};
// Reads the whole text (surrounding blanks allowed) as a temperature.
TemperatureReading parse_temperature(std::string_view text);

}  // namespace md
