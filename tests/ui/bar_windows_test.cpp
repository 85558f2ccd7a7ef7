// The gradient-bar painter on a QImage at known pixels, the STREAM window over its controller
// (a whole run, Cancel refused while the progress box shows, the longest bar at 360 pixels),
// and the memory window's texts when cache detection found nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "app/console.h"
#include "app/processor_info.h"
#include "gui_test_support.h"
#include "membench/memory_graph.h"
#include "stream/stream_graph.h"
#include "support/small_memory_run.h"
#include "ui/gradient_bars.h"
#include "ui/membench_window.h"
#include "ui/stream_window.h"

namespace {

const QColor kGrey(200, 200, 200);

QImage paint(const app::GradientBar& bar, QSize size = {500, 40}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kGrey);
    QPainter p(&image);
    p.setFont(ui::bar_font());
    ui::draw_gradient_bar(p, QPoint(10, 10), bar);
    return image;
}

app::GradientBar red_bar(int length, std::string text = {}) {
    app::GradientBar b;
    b.length = length;
    b.height = 15;
    b.ramp = app::ramp_from_fifth({255, 0, 0});
    b.text = std::move(text);
    return b;
}

TEST(GradientBarPainter, ColumnsBrightenOneStepPerPixelAndStopAtTheLength) {
    ui_test::expect_pixels(paint(red_bar(315)), {
                                                    {10, 10, QColor(51, 0, 0)},
                                                    {11, 17, QColor(52, 0, 0)},
                                                    {110, 24, QColor(151, 0, 0)},
                                                    {214, 10, QColor(255, 0, 0)},
                                                    {324, 24, QColor(255, 0, 0)},
                                                    {325, 17, kGrey},  // one past the last column
                                                    {9, 17, kGrey},
                                                    {100, 9, kGrey},
                                                    {100, 25, kGrey},
                                                });
    // Length 0: nothing but the text.
    const QImage empty = paint(red_bar(0));
    for (int x = 0; x < 500; ++x) EXPECT_EQ(QColor(empty.pixel(x, 17)), kGrey);
}

stream::StreamSizes small_stream_run() {
    stream::StreamSizes s;
    // Long enough (a few milliseconds) for the progress box to be seen.
    s.n = 200000 + 21;
    s.iterations = 6;
    s.threads = 1;
    return s;
}

// The pixel at (x, y) of a drawing area's bar origin.
QColor area_pixel(ui::BarCanvas* area, int x, int y) {
    const QImage image = area->grab().toImage();
    return QColor(image.pixel(area->origin().x() + x, area->origin().y() + y));
}

class BarWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        app::console().reset();
        saved_ = app::processor_info();
        app::processor_info().clock_rate_wide = 2000.0;
    }
    void TearDown() override { app::processor_info() = saved_; }
    app::ProcessorInfo saved_;
};

TEST_F(BarWindows, StreamWindowDrawsItsLongestBarAt360Pixels) {
    stream::StreamController c(small_stream_run());
    ui::CStreamDlg w(c, nullptr);
    c.attach(&w);
    EXPECT_TRUE(w.analyze_button()->isDefault());
    bool refused_cancel = false, box_seen = false;
    std::vector<app::GradientBar> bars;
    QColor last_column;
    int longest = -1;
    int step = 1;
    QTimer::singleShot(0, &w, [&] { w.analyze_button()->click(); });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &w, [&] {
        if (step == 1 && w.modal_box()) {
            step = 2;
            box_seen = true;
            w.cancel_button()->click();
            refused_cancel = !w.ended();
        } else if (step >= 1 && step < 3 && c.results_shown() && !c.analysis_active()) {
            step = 3;
            QApplication::processEvents();
            bars = w.bar_area()->bars();
            for (std::size_t i = 0; i < bars.size(); ++i)
                if (bars[i].length == 360) longest = static_cast<int>(i);
            if (longest >= 0)
                last_column = area_pixel(w.bar_area(), 359, bars[std::size_t(longest)].y + 15);
            w.cancel_button()->click();
        }
    });
    poll.start(0);
    // A run that never ends fails the test instead of hanging it.
    QTimer::singleShot(120000, &w, [&] { w.end_dialog(-1); });
    EXPECT_EQ(w.run(), app::kIdCancel);
    EXPECT_TRUE(box_seen);
    EXPECT_TRUE(refused_cancel);
    ASSERT_EQ(bars.size(), 8u);
    ASSERT_GE(longest, 0);
    EXPECT_EQ(last_column, QColor(0, 0, 255));
    EXPECT_EQ(bars, stream::stream_bars(c.rates(), w.row_step()));
}

// A processor whose caches no decoder knows: the texts say so, the window still opens empty.
TEST_F(BarWindows, MemoryWindowSaysWhenCacheDetectionFoundNothing) {
    class NoCpuid final : public app::CpuidSource {
      public:
        app::CpuidRegs query(uint32_t, uint32_t) override { return {}; }
    } none;
    membench::MemBenchController c({&none, "CentaurHauls"}, testing_support::small_memory_run());
    ui::CMemBenchDlg w(c, nullptr);
    for (QLabel* l : w.cache_labels()) EXPECT_EQ(l->text(), QStringLiteral("Not detected"));
    for (int a = 0; a < membench::kMemoryAreaCount; ++a) EXPECT_TRUE(w.area(a)->bars().empty());
}

}  // namespace
