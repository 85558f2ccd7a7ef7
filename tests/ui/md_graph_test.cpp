// The molecular dynamics window's plain pieces: the energy graph mapping and its painting at
// known pixels, the view options and temperature parsing, and the view camera's moves.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <limits>
#include <vector>

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

TEST(EnergyGraph, PolylineStartsAtTheLeftEdgeThenOnePixelPerStep) {
    const double h[] = {1, 2, 3};
    const std::vector<md::GraphPoint> want = {{10, 156}, {11, 156}, {12, 79}, {13, 1}};
    EXPECT_EQ(md::graph_polyline(h, 3, 10, 0), want);
    EXPECT_TRUE(md::graph_polyline(h, 0, 10, 0).empty());

    std::vector<double> ramp(500);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<double>(i);
    const auto scrolled = md::graph_polyline(ramp.data(), 500, 0, 0);
    ASSERT_EQ(scrolled.size(), 232u);
    EXPECT_EQ(scrolled.front(), (md::GraphPoint{0, 156}));
    EXPECT_EQ(scrolled.back(), (md::GraphPoint{231, 1}));
    EXPECT_EQ(md::graph_max_text(md::graph_window(ramp.data(), 500)), "Max: 499.0000000");
    EXPECT_EQ(md::graph_min_text(md::graph_window(ramp.data(), 500)), "Min: 269.0000000");
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
    const QPoint k = layout.kinetic, p = layout.potential;
    // Step 50: trunc(0.5 * 155) = 77, so y = top + 1 + 155 - 77; the 2-pixel pen covers y - 1.
    for (int dy : {0, -1}) {
        EXPECT_EQ(at(k.x() + 51, k.y() + 79 + dy), green) << dy;
        EXPECT_EQ(at(p.x() + 51, p.y() + 79 + dy), blue) << dy;
    }
    // Step 100: the maximum of the kinetic curve, the minimum of the potential one.
    EXPECT_EQ(at(k.x() + 101, k.y() + 1), green);
    EXPECT_EQ(at(p.x() + 101, p.y() + 155), blue);
    // Away from the curve and the texts the plot is white; right of the last step too.
    EXPECT_EQ(at(k.x() + 51, k.y() + 120), white);
    EXPECT_EQ(at(k.x() + 150, k.y() + 79), white);
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

TEST_F(GraphPaint, FlatHistoryDrawsAFlatLineInTheMiddle) {
    const std::vector<double> flat(40, 21.5);
    paint(flat, flat);
    const QPoint k = layout.kinetic;
    for (int x : {k.x(), k.x() + 1, k.x() + 20, k.x() + 39})
        EXPECT_EQ(at(x, k.y() + 79), QColor(0, 140, 0)) << x;
    EXPECT_EQ(at(k.x() + 20, k.y() + 40), QColor(255, 255, 255));
    EXPECT_EQ(at(k.x() + 20, k.y() + 110), QColor(255, 255, 255));
}

TEST_F(GraphPaint, NoHistoryLeavesThePlotsWhite) {
    paint({}, {});
    const QPoint k = layout.kinetic;
    EXPECT_EQ(at(k.x() + 100, k.y() + 79), QColor(255, 255, 255));
}

TEST(ViewOptions, ResolutionTextParsesIntoTheFullScreenMode) {
    const struct {
        const char* text;
        int w, h, d;
    } rows[] = {{"1024x768x32", 1024, 768, 32},   {"800x600x16", 800, 600, 16},
                {"1600x1200x16", 1600, 1200, 16}, {"", 640, 480, 32},
                {"wide", 640, 480, 32},           {"1024x768", 640, 480, 32},
                {"-5x3x2", 640, 480, 32}};
    for (const auto& r : rows) {
        md::ViewSettings v;
        v.full_width = v.full_height = v.full_depth = 1;
        md::apply_resolution(v, r.text);
        EXPECT_EQ(v.full_width, r.w) << r.text;
        EXPECT_EQ(v.full_height, r.h) << r.text;
        EXPECT_EQ(v.full_depth, r.d) << r.text;
    }
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

TEST(ViewCamera, KeysDragAndForwardMotion) {
    ui::gl::Camera c;
    for (int key : {Qt::Key_W, Qt::Key_W, Qt::Key_D, Qt::Key_Z, Qt::Key_C}) EXPECT_TRUE(c.key(key));
    EXPECT_FALSE(c.key(Qt::Key_Q));
    EXPECT_FLOAT_EQ(c.pitch, -20);
    EXPECT_FLOAT_EQ(c.yaw, 10);
    EXPECT_FLOAT_EQ(c.radius, 3);
    EXPECT_FLOAT_EQ(c.z, 200);
    for (int i = 0; i < 10; ++i) c.key(Qt::Key_X);
    EXPECT_FLOAT_EQ(c.radius, 0.5f);  // never shrinks to nothing

    // Dragging subtracts the motion and wraps into 0..360.
    ui::gl::Camera d;
    d.drag(30, 15);
    EXPECT_FLOAT_EQ(d.pitch, 345);
    EXPECT_FLOAT_EQ(d.yaw, 330);
    d.drag(-400, 0);
    EXPECT_FLOAT_EQ(d.yaw, 10);

    // Forward: (cos(yaw) sin(-pitch), cos(-pitch), -sin(yaw) sin(-pitch)).
    ui::gl::Camera f;
    f.move_forward();  // pitch 0: straight up in y
    EXPECT_NEAR(f.x, 50, 1e-5);
    EXPECT_NEAR(f.y, 51, 1e-5);
    EXPECT_NEAR(f.z, 150, 1e-5);
    f.pitch = 90;
    f.yaw = 90;
    f.move_forward();  // sin(-90) = -1: x += 0, y += 0, z += 1
    EXPECT_NEAR(f.x, 50, 1e-5);
    EXPECT_NEAR(f.y, 51, 1e-5);
    EXPECT_NEAR(f.z, 151, 1e-5);
    f.pitch = 30;
    f.yaw = 0;
    f.move_forward();  // x += -0.5, y += cos(30) = 0.8660254
    EXPECT_NEAR(f.x, 49.5, 1e-5);
    EXPECT_NEAR(f.y, 51.8660254, 1e-5);
}

}  // namespace
