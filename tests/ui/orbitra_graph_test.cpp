// The virial graph painted on a QImage: the curve's pixels where the mapping puts them for two
// and many entries, and the texts' colours.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <vector>

#include "atom/virial_graph.h"
#include "ui/orbitra_graph.h"

namespace {

struct Painted {
    QImage image;
    ui::VirialGraphLayout layout;
    // Green rows of geometry column `x` (relative to the graph's origin).
    std::vector<int> green_rows(int x) const {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y)
            if (QColor(image.pixel(x + layout.origin.x(), y)) == ui::kVirialPen)
                rows.push_back(y - layout.origin.y());
        return rows;
    }
    QColor at(int x, int y) const {
        return QColor(image.pixel(x + layout.origin.x(), y + layout.origin.y()));
    }
    bool any(const QColor& c, int top, int bottom) const {
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y + layout.origin.y())) == c) return true;
        return false;
    }
};

Painted paint(const std::vector<double>& v) {
    Painted p;
    const QFont font = ui::virial_graph_font();
    p.layout = ui::virial_graph_layout(font);
    p.image = QImage(p.layout.size, QImage::Format_RGB32);
    ui::paint_virial_graph(p.image, p.layout, font, v.data(), static_cast<int>(v.size()),
                           QColor(212, 208, 200));
    return p;
}

// The 2-pixel pen covers the mapped row and one neighbour (more where a steep step meets).
void expect_near_row(const std::vector<int>& rows, int y, int x, int slack = 1) {
    ASSERT_FALSE(rows.empty()) << "no curve in column " << x;
    for (int r : rows) EXPECT_LE(std::abs(r - y), slack) << "column " << x << " row " << r;
}

TEST(VirialGraphPainter, TwoAndManyEntriesLandOnTheirPixels) {
    const Painted two = paint({-1.0, -2.0});
    expect_near_row(two.green_rows(17), 167, 17);  // -1 of -2..0
    EXPECT_FALSE(two.green_rows(20).empty());      // the step from 19 to 21
    EXPECT_TRUE(two.green_rows(24).empty());

    std::vector<double> many(50);
    for (int k = 0; k < 50; ++k) many[static_cast<size_t>(k)] = -0.1 * k;
    const Painted p = paint(many);
    // Entry 0 = the maximum (0) at 36, the last (-4.9 = the minimum) at 297, entry 25 halfway:
    // 297 - trunc(2.4 / 4.9 * 261) = 297 - 127.
    expect_near_row(p.green_rows(17), 36, 17);
    expect_near_row(p.green_rows(17 + 4 * 25), 170, 117, 3);
    expect_near_row(p.green_rows(17 + 4 * 49), 297, 213, 2);
    EXPECT_TRUE(p.green_rows(17 + 4 * 49 + 3).empty());
    // Max in red and Min in blue in the first two text lines, inside the box.
    EXPECT_TRUE(p.any(QColor(255, 0, 0), 36, 36 + p.layout.line));
    EXPECT_TRUE(p.any(QColor(0, 0, 255), 36 + p.layout.line, 36 + 2 * p.layout.line));
}

}  // namespace
