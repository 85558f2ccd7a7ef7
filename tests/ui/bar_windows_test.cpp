// The gradient-bar painter on a QImage at known pixels, and the Memory Benchmarks and STREAM
// windows over their controllers: empty areas before a run, a whole run through the Qt host,
// the radio buttons switching only the method bars, Analyze and closing refused while the
// progress box shows.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/console.h"
#include "app/processor_info.h"
#include "gui_test_support.h"
#include "membench/memory_graph.h"
#include "stream/stream_graph.h"
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
    const QImage image = paint(red_bar(315));
    struct Px {
        int x, y;
        QColor colour;
    } rows[] = {
        {10, 10, QColor(51, 0, 0)},
        {11, 17, QColor(52, 0, 0)},
        {110, 24, QColor(151, 0, 0)},
        {214, 10, QColor(255, 0, 0)},
        {324, 24, QColor(255, 0, 0)},
        {325, 17, kGrey},  // one past the last column
        {9, 17, kGrey},
        {100, 9, kGrey},
        {100, 25, kGrey},
    };
    for (const Px& p : rows)
        EXPECT_EQ(QColor(image.pixel(p.x, p.y)), p.colour) << p.x << "," << p.y;
    // Length 0: nothing but the text.
    const QImage empty = paint(red_bar(0));
    for (int x = 0; x < 500; ++x) EXPECT_EQ(QColor(empty.pixel(x, 17)), kGrey);
}

TEST(GradientBarPainter, TextIsWhiteOverTheBarAndBlackBeyond) {
    const std::string text = "88888888888888 MB/s";
    const QImage image = paint(red_bar(40, text));
    int white_on_bar = 0, dark_beyond = 0, bright_beyond = 0, dark_on_bar = 0;
    for (int y = 5; y < 35; ++y) {
        for (int x = 10; x < 300; ++x) {
            const QColor c(image.pixel(x, y));
            const bool on_bar = x < 50 && y >= 10 && y < 25;
            if (on_bar) {
                if (c.green() > 200) ++white_on_bar;
                if (c.red() < 40) ++dark_on_bar;
            } else if (x >= 50) {
                if (c.red() < 60) ++dark_beyond;
                if (c.green() > 200) ++bright_beyond;
            }
        }
    }
    EXPECT_GT(white_on_bar, 5);
    EXPECT_EQ(dark_on_bar, 0);
    EXPECT_GT(dark_beyond, 20);
    EXPECT_EQ(bright_beyond, 0);

    // A cut text leaves nothing past its cut.
    app::GradientBar cut = red_bar(0, text);
    cut.text_clip = 30;
    const QImage clipped = paint(cut);
    int past_cut = 0, before_cut = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 500; ++x)
            if (QColor(clipped.pixel(x, y)) != kGrey) ++(x >= 40 ? past_cut : before_cut);
    EXPECT_EQ(past_cut, 0);
    EXPECT_GT(before_cut, 0);
}

membench::MemoryRunSizes small_memory_run() {
    membench::MemoryRunSizes s;
    s.buffer_bytes = 256 * 1024;
    s.l1_repetitions = 3;
    s.l2_repetitions = 2;
    s.memory_repetitions = 2;
    s.memory_block = 128 * 1024;
    s.latency.rows = 2;
    s.latency.min_seconds = 1e-5;
    return s;
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

TEST_F(BarWindows, MemoryWindowRunsShowsBarsAndSwitchesOnlyTheMethodBars) {
    membench::MemBenchController c({}, small_memory_run());
    ui::CMemBenchDlg w(c, nullptr);
    c.attach(&w);
    // Before a run: the cache texts, no bar anywhere.
    for (QLabel* l : w.cache_labels()) EXPECT_FALSE(l->text().isEmpty());
    for (int a = 0; a < membench::kMemoryAreaCount; ++a) EXPECT_TRUE(w.area(a)->bars().empty());
    EXPECT_TRUE(w.analyze_button()->isDefault());
    EXPECT_TRUE(w.region_button(0)->isChecked());

    bool box_seen = false, refused_close = false, one_box = false;
    std::array<std::vector<app::GradientBar>, membench::kMemoryAreaCount> before{};
    std::vector<app::GradientBar> green;
    QColor first_pixel, green_pixel;
    // Analyze returns when the run is over; a polling timer of its own (a timer never fires
    // again while its handler runs) checks during the progress box and after it.
    int step = 1;
    QTimer::singleShot(0, &w, [&] { w.analyze_button()->click(); });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &w, [&] {
        if (step == 1 && w.modal_box()) {
            step = 2;
            box_seen = true;
            QDialog* box = w.modal_box();
            w.analyze_button()->click();  // a second Analyze during the run changes nothing
            w.reject();                   // nor does closing the window
            refused_close = !w.ended();
            one_box = w.modal_box() == box;
        } else if (step >= 1 && step < 3 && c.results_shown() && !c.analysis_active()) {
            // Also when the box was missed: the expectations then fail instead of hanging.
            step = 3;
            QApplication::processEvents();
            for (int a = 0; a < membench::kMemoryAreaCount; ++a) before[a] = w.area(a)->bars();
            // The longest bar of a region is never empty, whatever the machine measured.
            auto longest = [](const std::vector<app::GradientBar>& bars) {
                return *std::max_element(
                    bars.begin(), bars.end(),
                    [](const auto& a, const auto& b) { return a.length < b.length; });
            };
            if (!before[6].empty())
                first_pixel =
                    area_pixel(w.area(membench::kAreaMethods), 0, longest(before[6]).y + 1);
            w.region_button(1)->click();
            QApplication::processEvents();
            green = w.area(membench::kAreaMethods)->bars();
            if (!green.empty())
                green_pixel = area_pixel(w.area(membench::kAreaMethods), 0, longest(green).y + 1);
            for (int a = 0; a < membench::kAreaMethods; ++a)
                EXPECT_EQ(w.area(a)->bars(), before[a]) << a;
            w.ok_button()->click();
        }
    });
    poll.start(0);
    // A run that never ends fails the test instead of hanging it.
    QTimer::singleShot(120000, &w, [&] { w.end_dialog(-1); });
    EXPECT_EQ(w.run(), app::kIdOk);
    EXPECT_TRUE(box_seen);
    EXPECT_TRUE(refused_close);
    EXPECT_TRUE(one_box);
    EXPECT_EQ(c.record().status(), app::RunStatus::Completed);
    ASSERT_EQ(before[membench::kAreaLatencyL2].size(), 5u);
    ASSERT_EQ(before[membench::kAreaMethods].size(), 10u);
    ASSERT_EQ(green.size(), 10u);
    EXPECT_EQ(green[0].ramp.full, (app::Rgb{0, 255, 0}));
    // Every bar starts at one fifth of the region colour.
    EXPECT_EQ(first_pixel, QColor(51, 0, 0));
    EXPECT_EQ(green_pixel, QColor(0, 51, 0));
    const auto expected = membench::method_bars(c.results(), 0);
    EXPECT_EQ(before[membench::kAreaMethods][1].text, expected[1].bar.text);
}

TEST_F(BarWindows, StreamWindowDrawsItsLongestBarAt360Pixels) {
    stream::StreamController c(small_stream_run());
    ui::CStreamDlg w(c, nullptr);
    c.attach(&w);
    EXPECT_TRUE(w.bar_area()->bars().empty());
    EXPECT_TRUE(w.analyze_button()->isDefault());
    bool refused_cancel = false, box_seen = false;
    std::vector<app::GradientBar> bars;
    QColor last_column, past_end;
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
            if (longest >= 0) {
                const int y = bars[static_cast<std::size_t>(longest)].y + 15;
                last_column = area_pixel(w.bar_area(), 359, y);
                past_end = area_pixel(w.bar_area(), 360, y);
            }
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
    EXPECT_NE(past_end, QColor(0, 0, 255));
    EXPECT_EQ(bars, stream::stream_bars(c.rates(), w.row_step()));
}

// A processor whose caches no decoder knows: the texts say so, the window still opens empty.
TEST_F(BarWindows, MemoryWindowSaysWhenCacheDetectionFoundNothing) {
    class NoCpuid final : public app::CpuidSource {
      public:
        app::CpuidRegs query(uint32_t, uint32_t) override { return {}; }
    } none;
    membench::MemBenchController c({&none, "CentaurHauls"}, small_memory_run());
    ui::CMemBenchDlg w(c, nullptr);
    for (QLabel* l : w.cache_labels()) EXPECT_EQ(l->text(), QStringLiteral("Not detected"));
    for (int a = 0; a < membench::kMemoryAreaCount; ++a) EXPECT_TRUE(w.area(a)->bars().empty());
}

// The menu, the automation and the suite reach these windows through the program's runner.
TEST_F(BarWindows, TheProgramsRunnerShowsBothWindowsForAnAutomaticRun) {
    membench::MemBenchController m({}, small_memory_run());
    stream::StreamController s(small_stream_run());
    for (app::RunController* c : std::initializer_list<app::RunController*>{&m, &s}) {
        m.auto_start = m.close_when_done = true;
        s.auto_start = s.close_when_done = true;
        QString shown;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() &&
                    (qobject_cast<ui::CMemBenchDlg*>(w) || qobject_cast<ui::CStreamDlg*>(w)))
                    shown = w->metaObject()->className();
        });
        poll.start(1);
        EXPECT_EQ(ui::gui_modal_runner().run_modal(*c), app::kIdCancel);
        EXPECT_EQ(c->record().status(), app::RunStatus::Completed);
        EXPECT_EQ(shown,
                  c == &m ? QStringLiteral("ui::CMemBenchDlg") : QStringLiteral("ui::CStreamDlg"));
    }
}

}  // namespace
