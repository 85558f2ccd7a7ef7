// The suite window: its check boxes, the automatic run through a scripted modal runner, "OK"
// after a run, the comparison profiles, "Save as Profile..." and the score panel's bars.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/processor_info.h"
#include "app/run_registry.h"
#include "gui_test_support.h"
#include "suite/profile.h"
#include "suite/score_panel.h"
#include "support/fake_runner.h"
#include "support/temp_dir.h"
#include "ui/dialog_window.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"
#include "ui/main_frame.h"
#include "ui/score_panel.h"
#include "ui/suite_window.h"

namespace {

using testing_support::ScopedCwd;
using testing_support::TempDir;
using ui_test::RunnerScope;
using ui_test::wait_until;

using testing_support::write_file;

testing_support::FakeRunner completing_runner(double headline) {
    testing_support::FakeRunner r;
    r.result = app::kIdOk;
    r.on_run = [headline](app::RunController& c) {
        c.record().begin();
        c.record().set_headline("rate", headline);
        c.record().complete();
    };
    return r;
}

QRgb pixel(ui::ScorePanel* panel, int x, int y) {
    return panel->snapshot().pixel(x, y);
}

class SuiteWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { app::console().reset(); }
    // A cipher-only queue run at once, as "-automate" asks.
    void queue_cipher(bool close_when_finished) {
        controller.inputs().queue = {app::kCodeCipher};
        controller.inputs().automatic_run_requested = true;
        controller.inputs().close_when_finished = close_when_finished;
    }
    TempDir dir;
    ScopedCwd cwd{dir.path()};
    // Every benchmark dialog "completes" at once at the reference cipher rate (a sub-score of
    // 1000).
    testing_support::FakeRunner runs = completing_runner(112.51);
    RunnerScope scope{&runs};
    suite::SuiteController controller{app::run_registry()};
};

TEST_F(SuiteWindowTest, CheckBoxesToggleTheSelections) {
    ui::CSuiteDlg w(controller, nullptr);
    controller.attach(&w);
    const std::pair<int, const char*> boxes[] = {
        {1086, "md"},     {1088, "orbitra"}, {1091, "cipher"},
        {1093, "stream"}, {1089, "memory"},  {1090, "blas"},
    };
    for (const auto& [id, key] : boxes) {
        QCheckBox* box = w.check_box(id);
        ASSERT_NE(box, nullptr) << id;
        auto flag = [&] { return controller.panel().selections.of(key); };
        const bool before = flag();
        EXPECT_EQ(box->isChecked(), before);
        box->click();
        EXPECT_EQ(flag(), !before) << id;
        box->click();
        EXPECT_EQ(flag(), before) << id;
    }
}

TEST_F(SuiteWindowTest, AutomaticRunFillsThePanelAndCloses) {
    queue_cipher(true);
    ui::CSuiteDlg w(controller, nullptr);
    EXPECT_EQ(w.run(), app::kIdCancel);
    if (!app::run_registry().find(app::kCodeCipher)) GTEST_SKIP() << "no cipher benchmark";
    EXPECT_EQ(runs.titles.size(), 1u);
    EXPECT_FLOAT_EQ(controller.scores().of("cipher"), 1000.0f);
    EXPECT_EQ(w.cancel_button()->text(), QStringLiteral("OK"));
    // Only the queued box is ticked.
    EXPECT_TRUE(w.check_box(1091)->isChecked());
    EXPECT_FALSE(w.check_box(1086)->isChecked());
    // The cryptography bar: 1000 of 3000 over 458 pixels, blue ramp from 51.
    ui::ScorePanel* panel = w.score_panel();
    const QPoint o = panel->bar_origin(suite::PanelRow::Cipher);
    const int x1 = suite::bar_end_offset(1000.0f);
    EXPECT_EQ(QColor(pixel(panel, o.x(), o.y())), QColor(0, 0, 51));
    EXPECT_EQ(qBlue(pixel(panel, o.x() + x1, o.y() + 19)), std::min(255, 51 + x1));
    EXPECT_NE(qBlue(pixel(panel, o.x() + x1 + 1, o.y() + 19)), std::min(255, 52 + x1));
}

TEST_F(SuiteWindowTest, WithoutCloseWhenFinishedItStaysWithOk) {
    queue_cipher(false);
    ui::CSuiteDlg w(controller, nullptr);
    bool stayed = false;
    QTimer::singleShot(0, &w, [&] {
        wait_until([&] { return controller.runs_finished() > 0; });
        QTest::qWait(300);
        stayed = w.isVisible() && !w.ended();
        EXPECT_EQ(w.cancel_button()->text(), QStringLiteral("OK"));
        w.cancel_button()->click();
    });
    EXPECT_EQ(w.run(), app::kIdCancel);
    EXPECT_TRUE(stayed);
}

TEST_F(SuiteWindowTest, ProfileSelectionChangesTheComparisonTexts) {
    write_file(dir.path() / "Profiles" / "Two.rst",
               "a\nb\nc\nd\n   Dual test machine\n2\n2000 2200\n1100 1200 0 1300 1400 1500 0\n");
    ui::CSuiteDlg w(controller, nullptr);
    QTimer::singleShot(0, &w, [&] {
        wait_until([&] { return w.profile_list()->count() == 2; });
        EXPECT_EQ(suite::comparison_platform_text(w.shown_profile()), "Comparison Platform: None");
        w.profile_list()->activated(1);
        EXPECT_EQ(controller.panel().selected_profile, 1);
        EXPECT_EQ(suite::comparison_platform_text(w.shown_profile()),
                  "Comparison Platform: Dual test machine");
        EXPECT_EQ(suite::comparison_cpu_text(w.shown_profile()),
                  "2 CPUs at 2000.00 MHz/2200.00 MHz");
        // The red bar of the molecular dynamics row: 1300 of 3000.
        ui::ScorePanel* panel = w.score_panel();
        const QPoint o = panel->bar_origin(suite::PanelRow::MolDyn);
        const int y = o.y() + suite::kProfileBarTop - suite::kScoreBarTop + 2;
        EXPECT_EQ(QColor(pixel(panel, o.x(), y)), QColor(51, 0, 0));
        // 1300 / 3000 of 448 columns is 194.13: column 194 has red 51 + 194.
        EXPECT_EQ(qRed(pixel(panel, o.x() + suite::bar_end_offset(1300.0f), y)), 245);
        w.reject();
    });
    w.run();
    EXPECT_NE(app::console().text().find("Located 1 performance comparisons for Lumetra."),
              std::string::npos);
}

TEST_F(SuiteWindowTest, SavedProfileReadsBackAndIsOffered) {
    ui::CSuiteDlg w(controller, nullptr);
    controller.attach(&w);
    controller.on_paint();  // the first paint makes the list
    controller.run_suite();
    const suite::SubScores s = controller.scores();
    const std::filesystem::path file = dir.path() / "Profiles" / "Mine.rst";
    ASSERT_TRUE(w.save_profile(file, "My own machine"));
    // Written with two decimals, as the profiles shipped with the program.
    const suite::Profile p = suite::read_profile_file(file);
    EXPECT_EQ(p.description, "My own machine");
    ASSERT_TRUE(p.processors.has_value());
    EXPECT_EQ(*p.processors, static_cast<int>(std::max(1u, app::processor_info().processor_count)));
    EXPECT_EQ(p.clock_rates.size(), std::min<std::size_t>(*p.processors, 16));
    const std::pair<int, float> values[] = {
        {suite::kProfileMemory, s.of("memory")}, {suite::kProfileStream, s.of("stream")},
        {suite::kProfileMolDyn, s.of("md")},     {suite::kProfileOrbitra, s.of("orbitra")},
        {suite::kProfileBlas, s.of("blas")},     {suite::kProfileCipher, s.of("cipher")},
        {suite::kProfileHidden7, 0.0f}};
    for (const auto& [index, value] : values)
        EXPECT_NEAR(p.values[index].value_or(-7), value, 0.005) << index;
    // The list offers it, selected.
    EXPECT_EQ(w.profile_list()->currentText(), QStringLiteral("Mine.rst"));
    EXPECT_EQ(w.shown_profile().description, "My own machine");
    // A folder that cannot be written: reported, not crashed.
    ui_test::shown_boxes().clear();
    EXPECT_FALSE(w.save_profile("/proc/no-such-dir/x.rst", "x"));
    EXPECT_EQ(ui_test::shown_boxes().size(), 1u);
}

// Whether a pixel is one of the bar ramp's colours (any shade of pure blue or pure red).
bool bar_colour(QRgb c, bool red) {
    return red ? (qRed(c) >= 51 && qGreen(c) == 0 && qBlue(c) == 0)
               : (qBlue(c) >= 51 && qGreen(c) == 0 && qRed(c) == 0);
}

TEST_F(SuiteWindowTest, SavingWaitsForAFigureAndNeverReplacesAProfileWithoutAsking) {
    write_file(dir.path() / "Profiles" / "Reference.rst", "kept\n");
    ui::CSuiteDlg w(controller, nullptr);
    controller.attach(&w);
    controller.on_paint();
    // Before a run: nothing to save.
    EXPECT_FALSE(w.save_button()->isEnabled());
    EXPECT_FALSE(w.save_profile(dir.path() / "Profiles" / "Early.rst", "early"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Profiles" / "Early.rst"));
    w.run_button()->click();
    EXPECT_TRUE(w.save_button()->isEnabled());

    // The questions asked, answered as each row says; the usual presenter is back at the end.
    bool answer = false;
    std::vector<QString> asked;
    auto* sink = ui::gui_message_sink();
    struct Restore {
        ui::GuiMessageSink* sink;
        decltype(sink->presenter) saved = sink->presenter;
        ~Restore() { sink->presenter = saved; }
    } restore{sink};
    sink->presenter = [&](const QString& text, const QString&, bool question) {
        if (question) asked.push_back(text);
        return question ? answer : true;
    };
    const struct {
        const char* typed;
        bool answer, asks, saved;
    } rows[] = {
        {"Reference", false, true, false},      // ".rst" added: it exists, so it asks
        {"Reference.rst", false, true, false},  // typed in full: the same question
        {"Reference", true, true, true},        // replaced once the user says yes
        {"Fresh", false, false, true},          // a new name: no question
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        write_file(dir.path() / "Profiles" / "Reference.rst", "kept\n");
        asked.clear();
        answer = row.answer;
        EXPECT_EQ(w.save_profile_as(dir.path() / "Profiles" / row.typed, "mine"), row.saved);
        EXPECT_EQ(asked, row.asks
                             ? std::vector<QString>{QStringLiteral(
                                   "Reference.rst already exists.\nDo you want to replace it?")}
                             : std::vector<QString>{});
        const std::string ref =
            suite::read_profile_file(dir.path() / "Profiles" / "Reference.rst").description;
        EXPECT_EQ(ref == "mine", row.saved && row.asks);
    }
    EXPECT_EQ(suite::read_profile_file(dir.path() / "Profiles" / "Fresh.rst").description, "mine");
}

TEST(ScorePanel, BarsStayInsideTheirBoxAndACutBarEndsInAChevron) {
    ui::ScorePanel panel(nullptr);
    panel.resize(panel.minimumSize());
    suite::SubScores s;
    s.of("md") = 4500.0f;      // above full scale: cut, with the marker
    s.of("stream") = 3000.0f;  // exactly full scale: a full bar, no marker
    s.of("orbitra") = -1.0f;
    panel.set_state(s, suite::Profile{});
    const QImage img = panel.snapshot();
    const QPoint md = panel.bar_origin(suite::PanelRow::MolDyn);
    const QPoint corner = panel.label(suite::PanelRow::MolDyn)->geometry().topLeft();
    const int box_right = corner.x() + suite::kPanelBoxWidth - 1;
    // 448 columns from x0 = box left + 5: the last one 5 columns short of the box's right edge.
    EXPECT_EQ(md.x() + 447, box_right - 5);
    const int row = md.y() + 1;  // above the chevron's arms
    EXPECT_EQ(QColor(img.pixel(md.x() + 447, row)), QColor(0, 0, 255));
    for (int x = md.x() + 448; x <= box_right; ++x)
        EXPECT_FALSE(bar_colour(img.pixel(x, row), false)) << x;
    // The chevron: white along its arms to the tip, 3 columns inside the last column.
    const int mid = md.y() + (suite::kScoreBarBottom - suite::kScoreBarTop) / 2;
    for (const suite::Segment& seg :
         suite::clip_marker(md.x(), md.y(), md.y() + suite::kScoreBarBottom - suite::kScoreBarTop))
        EXPECT_EQ(QColor(img.pixel(seg.x1, seg.y1)), QColor(Qt::white));
    EXPECT_EQ(QColor(img.pixel(md.x() + 444, mid)), QColor(Qt::white));
    EXPECT_EQ(QColor(img.pixel(md.x() + 446, mid)), QColor(0, 0, 255));
    // A full-scale bar has no marker.
    const QPoint st = panel.bar_origin(suite::PanelRow::Stream);
    EXPECT_EQ(QColor(img.pixel(st.x() + 444, st.y() + mid - md.y())), QColor(0, 0, 255));
    // No figure, no bar: the box's background shows.
    const QPoint orb = panel.bar_origin(suite::PanelRow::Orbitra);
    EXPECT_EQ(img.pixel(orb.x() + 100, orb.y() + 1), img.pixel(orb.x() + 100, orb.y() - 8));
}

TEST(ScorePanel, LabelsShowTheirDescendersAboveTheBars) {
    ui::ScorePanel panel(nullptr);
    panel.resize(panel.minimumSize());
    QLabel* label = panel.label(suite::PanelRow::Cipher);
    EXPECT_EQ(label->text(), QStringLiteral("Cryptography"));
    // Label rows end above the first bar row.
    EXPECT_LT(label->geometry().bottom(), panel.bar_origin(suite::PanelRow::Cipher).y());
    // The text's whole height fits: the lowest inked row (the descenders of "yp" and "g") has
    // a clear row below it inside the label.
    const QImage img = label->grab().toImage();
    int lowest = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) lowest = y;
    ASSERT_GE(lowest, 0);
    EXPECT_LT(lowest, img.height() - 1);
    const QFontMetrics fm(label->font());
    EXPECT_LE(suite::kLabelTextTop + fm.height(), label->height());
}

TEST(ScorePanel, AbsentProfileValuesDrawNoBarAndALongDescriptionEndsInAnEllipsis) {
    ui::ScorePanel panel(nullptr);
    panel.resize(panel.minimumSize());
    const std::string desc = "Quad " + std::string(120, 'W') + " machine";
    const suite::Profile profile = suite::parse_profile("a\nb\nc\nd\n" + desc.substr(0, 90) +
                                                        "\n1\n2000\n-1 1200 -1 1300 -1.00 nan 0\n");
    panel.set_state(suite::SubScores{}, profile);
    const QImage img = panel.snapshot();
    const int bar_row = suite::kProfileBarTop - suite::kScoreBarTop + 2;
    using R = suite::PanelRow;
    const struct {
        R row;
        bool bar;
    } rows[] = {{R::Memory, false},  {R::Stream, true}, {R::MolDyn, true},
                {R::Orbitra, false}, {R::Blas, false},  {R::Cipher, false}};
    for (const auto& r : rows) {
        const QPoint o = panel.bar_origin(r.row);
        EXPECT_EQ(bar_colour(img.pixel(o.x(), o.y() + bar_row), true), r.bar)
            << static_cast<int>(r.row);
    }
    // The description is cut with "…" and nothing is drawn past the box's inner edge.
    const std::string line = panel.comparison_lines()[0];
    EXPECT_EQ(line.rfind("Comparison Platform: Quad WWW", 0), 0u);
    EXPECT_EQ(line.substr(line.size() - 3), "\u2026");
    const QRect cmp = panel.comparison_box();
    for (int y = cmp.top() + 2; y < cmp.top() + 17; ++y)
        for (int x = cmp.right() - 3; x <= cmp.right() - 2; ++x)
            EXPECT_GE(qGray(img.pixel(x, y)), 128) << x << "," << y;
}

// The program's own runner puts the suite controller in the suite window.
TEST_F(SuiteWindowTest, RunAllFromTheMenuOpensTheSuiteWindow) {
    ui::install_gui_modal_runner();
    ui::CMainFrame f;
    f.create_console_view();
    bool suite_window = false;
    QTimer::singleShot(0, [&] {
        wait_until([] { return QApplication::activeModalWidget() != nullptr; });
        auto* w = qobject_cast<ui::CSuiteDlg*>(QApplication::activeModalWidget());
        suite_window = w != nullptr;
        if (w) w->cancel_button()->click();
    });
    f.run_command(ui::CMainFrame::kIdRunAll);
    EXPECT_TRUE(suite_window);
}

}  // namespace
