// The matrix multiply and cipher windows over their controllers: the graph on a QImage at
// known pixels, a run with its bars and results box, Cancel ignored while running, the
// double-precision texts, and the cipher dialog's fields during and after a short run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <atomic>

#include "app/console.h"
#include "blas/isa_peak.h"
#include "blas/matrix_graph.h"
#include "gui_test_support.h"
#include "ui/cipher_window.h"
#include "ui/gradient_bars.h"
#include "ui/matrix_window.h"

namespace {

using ui_test::wait_until;

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

blas::MatrixRunSizes small_sizes() {
    blas::MatrixRunSizes s;
    s.size_count = 3;
    s.single_peak = 192;
    s.double_peak = 180;
    return s;
}

TEST(MatrixWindow, RunsShowsBarsAndResultsAndIgnoresCancelWhileRunning) {
    app::console().reset();
    blas::MatrixController run(blas::MatrixController::Precision::Double, small_sizes());
    ui::CMatrixDlg w(run, nullptr);
    run.attach(&w);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("DGEMM (Double Precision Matrix Multiply)"));
    EXPECT_EQ(w.method_button(blas::kIdRadioSse)->text(), QStringLiteral("SSE2 Vector"));
    EXPECT_EQ(w.method_button(blas::kIdRadio3dNow)->text(), QStringLiteral("SSE2 Scalar"));
    EXPECT_FALSE(w.method_button(blas::kIdRadioX87)->isEnabled());
    EXPECT_FALSE(w.method_button(blas::kIdRadioMkl)->isVisibleTo(&w));
    bool cancel_ignored = false;
    std::vector<app::GradientBar> before, after;
    QString efficiency;
    QTimer::singleShot(0, &w, [&] {
        before = w.bar_area()->bars();
        w.analyze_button()->click();
        w.cancel_button()->click();
        w.reject();
        cancel_ignored = !w.ended();
        wait_until([&] { return !run.running(); });
        QApplication::processEvents();
        after = w.bar_area()->bars();
        efficiency = w.efficiency_label()->text();
        w.cancel_button()->click();
    });
    EXPECT_EQ(w.run(), app::kIdCancel);
    EXPECT_TRUE(before.empty());
    EXPECT_TRUE(cancel_ignored);
    EXPECT_EQ(run.record().status(), app::RunStatus::Completed);
    ASSERT_EQ(after.size(), 6u);
    EXPECT_GE(after[0].length, 1);
    EXPECT_EQ(after, blas::size_bars(run.tables(), after[1].y));
    EXPECT_EQ(efficiency.toStdString(), blas::efficiency_text(run.tables().peak(), w.isa_peak()));
    EXPECT_TRUE(w.method_button(blas::kIdRadioCompiler)->isChecked());
}

TEST(CipherWindow, FieldsFollowTheRunAndCancelWaitsForItsEnd) {
    app::console().reset();
    std::atomic<bool> release{false};
    cipher::CipherRunConfig config;
    config.passes = 4;
    config.pass_bytes = 16 * 1024;
    config.after_pass = [&](int pass) {
        if (pass == 2)
            while (!release.load()) QThread::msleep(1);
    };
    cipher::CipherController run(config);
    ui::CCipherDlg w(run, nullptr);
    run.attach(&w);
    EXPECT_EQ(w.cipher_list()->currentText(), QStringLiteral("AES"));
    EXPECT_EQ(w.time_field()->text(), QStringLiteral("0.0000000000 s"));
    int held_at = -1;
    bool cancel_ignored = false;
    QString time_during, time_after;
    QTimer::singleShot(0, &w, [&] {
        w.evaluate_button()->click();
        wait_until([&] { return w.progress_bar()->value() == 2; });
        w.cancel_button()->click();
        cancel_ignored = !w.ended();
        held_at = w.progress_bar()->value();
        time_during = w.time_field()->text();
        release = true;
        wait_until([&] { return !run.running(); });
        time_after = w.time_field()->text();
        w.cancel_button()->click();
    });
    EXPECT_EQ(w.run(), app::kIdCancel);
    EXPECT_TRUE(cancel_ignored);
    EXPECT_EQ(held_at, 2);
    EXPECT_TRUE(time_during.endsWith(QStringLiteral(" s")));
    EXPECT_NE(time_during, QStringLiteral("0.0000000000 s"));
    EXPECT_EQ(time_after.toStdString(), run.time_text());
    EXPECT_EQ(w.progress_bar()->value(), w.progress_bar()->maximum());
    EXPECT_GT(run.result(), 0.0f);
}

}  // namespace
