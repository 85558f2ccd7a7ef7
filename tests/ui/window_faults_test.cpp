// What a careful user trips over in the windows, each case once: the replay button without
// OpenGL, windows that fit a small screen, the memory window's latency table, the graphs'
// texts and the tool bar's tooltips.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <functional>

#include "app/run_registry.h"
#include "atom/orbitra_run.h"
#include "blas/matrix_graph.h"
#include "blas/matrix_run.h"
#include "cipher/cipher_run.h"
#include "md_dialog_fixture.h"
#include "membench/memory_controller.h"
#include "membench/memory_graph.h"
#include "stream/stream_controller.h"
#include "ui/cipher_window.h"
#include "ui/gl_view_helper.h"
#include "ui/main_frame.h"
#include "ui/matrix_window.h"
#include "ui/md_graphs.h"
#include "ui/membench_window.h"
#include "ui/orbitra_dialog.h"
#include "ui/stream_window.h"
#include "ui/suite_window.h"

namespace {

using ui_test::MdDialogTest;
using ui_test::wait_until;

// Without OpenGL a replay would be drawn nowhere: "View Replay" stays off after a run and says
// why, as "View simulation" does.
TEST_F(MdDialogTest, ViewReplayStaysOffWithoutOpenGl) {
    ui::gl::force_unavailable(true);
    open();
    ui::gl::force_unavailable(false);
    click(1006);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    QApplication::processEvents();
    EXPECT_TRUE(controller.replay_enabled);
    const QWidget* replay = w->control<QWidget>(1010);
    EXPECT_FALSE(replay->isEnabled());
    EXPECT_FALSE(replay->toolTip().isEmpty());
    EXPECT_EQ(replay->toolTip(), w->control<QWidget>(1013)->toolTip());
    EXPECT_EQ(app::console().text().find("OpenGL FPS"), std::string::npos);
}

// Every window fits a 1280 x 720 screen with a panel and a title bar at the default font.
TEST(WindowSizes, EveryWindowFitsASmallScreen) {
    md::MdController md;
    atom::OrbitraController orbitra;
    membench::MemBenchController memory;
    stream::StreamController stream;
    blas::MatrixController matrix(blas::MatrixController::Precision::Single);
    cipher::CipherController cipher;
    suite::SuiteController suite{app::run_registry()};
    ui::MdDialog a(md, nullptr);
    ui::OrbitraDialog b(orbitra, nullptr);
    ui::CMemBenchDlg c(memory, nullptr);
    ui::CStreamDlg d(stream, nullptr);
    ui::CMatrixDlg e(matrix, nullptr);
    ui::CCipherDlg f(cipher, nullptr);
    ui::CSuiteDlg g(suite, nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{&a, &b, &c, &d, &e, &f, &g}) {
        SCOPED_TRACE(w->metaObject()->className());
        w->show();
        QApplication::processEvents();
        EXPECT_LE(w->width(), 1270);
        EXPECT_LE(w->height(), 720 - 32 - 30);
    }
    // Before a run the matrix window's result areas are blank: no "Method / MFLOPS" header.
    for (const QLabel* l : e.findChildren<QLabel*>())
        EXPECT_FALSE(l->isVisible() && l->text().startsWith(QStringLiteral("Method")));
}

// The random-chase table has its room before the first run: the window neither grows nor
// cuts rows off when the table fills in.
TEST(MemoryWindow, RandomLatencyTableHasItsRoomBeforeTheFirstRun) {
    membench::MemBenchController c;
    ui::CMemBenchDlg w(c, nullptr);
    w.show();
    QApplication::processEvents();
    const QSize before = w.size();
    auto* table = w.findChild<QLabel*>(QStringLiteral("random_latency"));
    ASSERT_NE(table, nullptr);
    nlohmann::json rows = nlohmann::json::array();
    for (std::size_t bytes : membench::random_chase_sizes(w.random_chase_llc()))
        rows.push_back({{"bytes", bytes}, {"ns", 123.45}, {"cycles", 246.9}});
    w.set_random_latency(rows);
    QApplication::processEvents();
    EXPECT_EQ(w.size(), before);
    EXPECT_GE(table->height(), table->sizeHint().height());
}

TEST(GraphTexts, MatrixGraphTextsStayClearOfTheCurveAndEachOther) {
    const QRect area(0, 0, blas::kGraphWidth + 2, blas::kGraphHeight + 2);
    const auto table = [](const std::function<double(int)>& f) {
        blas::MatrixTables t;
        t.size_count = 24;
        for (int i = 0; i < 24; ++i) t.size_mflops[static_cast<std::size_t>(i)] = f(i);
        return t;
    };
    const struct {
        const char* name;
        blas::MatrixTables t;
        double isa_peak;
    } rows[] = {
        {"falling at the end", table([](int i) { return i < 20 ? 3000.0 : 300.0 * (24 - i); }), 0},
        {"with the ISA peak", table([](int i) { return 100.0 * (i + 1); }), 4000.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<ui::MatrixGraphLabel> labels =
            ui::matrix_graph_labels(area, row.t, row.isa_peak);
        EXPECT_EQ(labels.size(), row.isa_peak > 0 ? 6u : 5u);
        for (std::size_t i = 0; i < labels.size(); ++i)
            for (std::size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].box.intersects(labels[j].box))
                    << labels[i].text.toStdString() << " / " << labels[j].text.toStdString();
        // The curve alone, as the graph draws it.
        QImage curve(area.size(), QImage::Format_RGB32);
        curve.fill(Qt::white);
        {
            QPainter p(&curve);
            p.setPen(QPen(Qt::black, 2));
            const std::vector<QPoint> points = ui::matrix_graph_curve(area, row.t, row.isa_peak);
            for (std::size_t k = 1; k < points.size(); ++k) p.drawLine(points[k - 1], points[k]);
        }
        // "Peak:" finds a place of its own; the size labels are drawn over the curve.
        const QRect peak = labels.back().box;
        int crossed = 0;
        for (int y = peak.top(); y <= peak.bottom(); ++y)
            for (int x = peak.left(); x <= peak.right(); ++x)
                crossed += curve.rect().contains(x, y) && curve.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_EQ(crossed, 0) << labels.back().text.toStdString();
    }
}

// The graphs' texts stand on a ground of their own: a curve through their place passes under
// them. Two curves with the same extremes give the same pixels in every text's box.
int differing_pixels(const QImage& a, const QImage& b, const QRect& box) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

TEST(GraphTexts, CurvesPassUnderTheExtremes) {
    std::vector<double> up(231), down(231);
    for (int i = 0; i < 231; ++i) down[230 - i] = up[i] = i / 230.0;
    const QFont font = ui::energy_graph_font();
    const ui::EnergyGraphLayout layout = ui::energy_graph_layout(font);
    const auto paint = [&](const std::vector<double>& v) {
        QImage image(layout.size, QImage::Format_ARGB32_Premultiplied);
        ui::paint_energy_graphs(image, layout, font, {v.data(), v.data(), 231}, Qt::white);
        return image;
    };
    const QImage a = paint(up), b = paint(down);
    const std::vector<QRect> boxes =
        ui::energy_graph_text_boxes(layout, font, {up.data(), up.data(), 231});
    EXPECT_GE(boxes.size(), 2u);
    EXPECT_GT(differing_pixels(a, b, a.rect()), 0);
    for (const QRect& box : boxes) EXPECT_EQ(differing_pixels(a, b, box), 0);
}

TEST(MainWindow, ToolBarTooltipsNameTheirBenchmark) {
    ui::CMainFrame f;
    const struct {
        int id;
        const char* tip;
    } rows[] = {{32779, "Membench: Run Benchmark"}, {32782, "Orbitra: Run Benchmark"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tip);
        ASSERT_NE(f.command_action(row.id), nullptr);
        EXPECT_EQ(f.command_action(row.id)->toolTip().toStdString(), row.tip);
    }
}

}  // namespace
