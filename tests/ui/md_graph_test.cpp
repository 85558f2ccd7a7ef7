// The molecular dynamics window's plain pieces: the energy graph mapping and its painting at
// known pixels, and the temperature parsing.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <limits>
#include <vector>

#include "gui_test_support.h"
#include "md/energy_graph.h"
#include "md/md_dialog_data.h"
#include "ui/gl_view_helper.h"
#include "ui/md_graphs.h"

namespace {

TEST(EnergyGraph, WindowIsTheLast231StepsAndTheirExtremes) {
    std::vector<double> h(300);
    for (size_t i = 0; i < h.size(); ++i) h[i] = static_cast<double>(i) * 2.0;
    h[10] = -50;  // scrolled out: must not widen the range
    h[150] = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        int32_t steps, first, count;
        double min, max;
    } rows[] = {{1, 0, 1, 0, 0},
                {5, 0, 5, -0, 8},
                {231, 0, 231, -50, 460},
                {232, 1, 231, -50, 462},
                {300, 69, 231, 138, 598}};
    for (const Row& r : rows) {
        const md::GraphWindow w = md::graph_window(h.data(), r.steps);
        EXPECT_EQ(w.first, r.first) << r.steps;
        EXPECT_EQ(w.count, r.count) << r.steps;
        EXPECT_DOUBLE_EQ(w.min, r.min) << r.steps;
        EXPECT_DOUBLE_EQ(w.max, r.max) << r.steps;
    }
    EXPECT_EQ(md::graph_window(nullptr, 10).count, 0);
    EXPECT_EQ(md::graph_window(h.data(), 0).count, 0);
}

TEST(EnergyGraph, ValuesMapToRowsByHand) {
    // y = top + 1 + 155 - trunc((v - min) / (max - min) * 155), top = 20.
    const struct {
        double v, min, max;
        int y;
    } rows[] = {
        {10, 0, 10, 21},    // the maximum: one below the top
        {0, 0, 10, 176},    // the minimum: 156 below the top
        {5, 0, 10, 99},     // 77.5 truncates to 77
        {3.3, 0, 10, 125},  // 51.15 -> 51
        {-7.5, -10, -5, 99},
        {4, 4, 4, 99},  // flat: the middle, no division by zero
        {std::nan(""), 0, 10, 99},
        {1, 0, std::numeric_limits<double>::infinity(), 99},
    };
    for (const auto& r : rows) EXPECT_EQ(md::graph_y(r.v, r.min, r.max, 20), r.y) << r.v;
}

class GraphPaint : public ::testing::Test {
  protected:
    QColor at(int x, int y) const { return QColor(image.pixel(x, y)); }
    void paint(const std::vector<double>& ke, const std::vector<double>& pe) {
        image = QImage(layout.size, QImage::Format_RGB32);
        ui::paint_energy_graphs(image, layout, font,
                                {ke.data(), pe.data(), static_cast<int32_t>(ke.size())},
                                QColor(240, 240, 240));
    }
    QFont font = ui::energy_graph_font();
    ui::EnergyGraphLayout layout = ui::energy_graph_layout(font);
    QImage image;
};

TEST_F(GraphPaint, CurvesLandOnTheirPixelsInTheirColours) {
    const QColor green(0, 140, 0), blue(0, 0, 255), white(255, 255, 255);
    EXPECT_EQ(layout.potential.x() - layout.kinetic.x(), 255);
    // Kinetic rises from 0 to 100, potential falls from 0 to -100 over 101 steps.
    std::vector<double> ke(101), pe(101);
    for (int i = 0; i <= 100; ++i) {
        ke[i] = i;
        pe[i] = -i;
    }
    paint(ke, pe);
    // Step 50: trunc(0.5 * 155) = 77, so y = top + 1 + 155 - 77; the 2-pixel pen covers y - 1.
    // Step 100: the maximum of the kinetic curve, the minimum of the potential one. Away from
    // the curve and right of the last step the plot is white.
    ui_test::expect_pixels(
        image,
        {{51, 79, green}, {51, 78, green}, {101, 1, green}, {51, 120, white}, {150, 79, white}},
        layout.kinetic);
    ui_test::expect_pixels(image, {{51, 79, blue}, {51, 78, blue}, {101, 155, blue}},
                           layout.potential);
    const QPoint k = layout.kinetic;
    // The texts: "Max:" in red at the top right, "Min:" in blue at the bottom right.
    bool red = false, min_blue = false;
    for (int x = k.x() + 120; x < k.x() + 230; ++x) {
        for (int y = k.y(); y < k.y() + 18; ++y)
            red |= at(x, y).red() > 150 && at(x, y).green() < 100;
        for (int y = k.y() + 140; y < k.y() + 158; ++y)
            min_blue |= at(x, y).blue() > 150 && at(x, y).red() < 100;
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(min_blue);
}

TEST(TemperatureEdit, OnlyAPositiveSensibleNumberIsTaken) {
    const struct {
        const char* text;
        double kelvin;  // 0: refused
    } rows[] = {{"140", 140}, {" 55.5 ", 55.5}, {"1e3", 1000}, {"10000", 10000}, {"", 0},
                {"   ", 0},   {"abc", 0},       {"12abc", 0},  {"-5", 0},        {"0", 0},
                {"1e9", 0},   {"nan", 0},       {"inf", 0},    {"10000.5", 0}};
    for (const auto& r : rows) {
        const md::TemperatureReading t = md::parse_temperature(r.text);
        if (r.kelvin > 0) {
            ASSERT_TRUE(t.kelvin.has_value()) << r.text;
            EXPECT_DOUBLE_EQ(*t.kelvin, r.kelvin) << r.text;
        } else {
            EXPECT_FALSE(t.kelvin.has_value()) << r.text;
            EXPECT_FALSE(t.problem.empty()) << r.text;
        }
    }
}

}  // namespace
