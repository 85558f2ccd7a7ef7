// The matrix multiply graph painted on a QImage: the curve's points and the dashed peak line at
// their pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "blas/matrix_graph.h"
#include "report/matrix_graph_painter.h"

namespace {

bool dark(QRgb c) {
    return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80;
}

TEST(MatrixGraphPainting, CurvePointsAndTheDashedPeakLineAtTheirPixels) {
    blas::MatrixTables t;
    t.size_count = 24;
    for (int i = 0; i < 24; ++i) t.size_mflops[i] = 100.0 * (i + 1);  // max 2400
    QImage image(312, 217, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        ui::draw_matrix_graph(p, image.rect(), t, 2700.0);  // scale 3000: the line at 90%
    }
    // Point 23: x = 1 + 13 x 23, y = 216 - trunc(2400 / 3000 x 215).
    EXPECT_TRUE(dark(image.pixel(300, 216 - 172)));
    // Indices 0 and 1 share x = 14: the curve climbs straight up there (y 209 to 202).
    EXPECT_TRUE(dark(image.pixel(14, 205)));
    EXPECT_FALSE(dark(image.pixel(20, 205)));
    // The dashed line at y = 216 - trunc(2700 / 3000 x 215) = 23, dark red, with gaps.
    int red = 0, gaps = 0;
    for (int x = 2; x < 300; ++x) {
        const QRgb c = image.pixel(x, 23);
        if (qRed(c) > 120 && qGreen(c) < 40) ++red;
        if (c == qRgb(255, 255, 255)) ++gaps;
    }
    EXPECT_GT(red, 100);
    EXPECT_GT(gaps, 50);
    for (int x = 2; x < 300; ++x) EXPECT_NE(image.pixel(x, 20), qRgb(160, 0, 0));

    // Without a peak: no dashed line anywhere.
    image.fill(Qt::white);
    {
        QPainter p(&image);
        ui::draw_matrix_graph(p, image.rect(), t, 0.0);
    }
    for (int y = 0; y < 217; ++y)
        for (int x = 0; x < 312; ++x) ASSERT_NE(image.pixel(x, y), qRgb(160, 0, 0));
}

}  // namespace
