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

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/processor_info.h"
#include "app/run_registry.h"
#include "gui_test_support.h"
#include "suite/profile.h"
#include "suite/score_panel.h"
#include "support/temp_dir.h"
#include "ui/dialog_window.h"
#include "ui/main_frame.h"
#include "ui/score_panel.h"
#include "ui/suite_window.h"

namespace {

using testing_support::ScopedCwd;
using testing_support::TempDir;
using ui_test::RunnerScope;
using ui_test::wait_until;

// Stands in for every benchmark dialog: the run "completes" with a fixed headline at once.
class InstantRuns : public app::ModalRunner {
  public:
    int run_modal(app::RunController& c) override {
        titles.push_back(c.title());
        c.record().begin();
        c.record().set_headline("rate", headline);
        c.record().complete();
        return app::kIdOk;
    }
    double headline = 112.51;  // the reference cipher rate: a sub-score of 1000
    std::vector<std::string> titles;
};

void write_file(const std::filesystem::path& p, const std::string& text) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p) << text;
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
    InstantRuns runs;
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
        EXPECT_EQ(qRed(pixel(panel, o.x() + suite::bar_end_offset(1300.0f), y)), 249);
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
        {suite::kProfileBlas, s.of("blas")},     {suite::kProfileHidden3, s.of("cipher")},
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

TEST(ScorePanel, BarsFillTheBoxAboveFullScaleAndNoneForUnmeasured) {
    ui::ScorePanel panel(nullptr);
    panel.resize(panel.minimumSize());
    suite::SubScores s;
    s.of("md") = 4500.0f;  // above full scale
    s.of("orbitra") = -1.0f;
    panel.set_state(s, suite::Profile{});
    const QPoint md = panel.bar_origin(suite::PanelRow::MolDyn);
    EXPECT_EQ(QColor(pixel(&panel, md.x() + 457, md.y() + 1)), QColor(0, 0, 255));
    EXPECT_NE(QColor(pixel(&panel, md.x() + 458, md.y() + 1)), QColor(0, 0, 255));
    const QPoint orb = panel.bar_origin(suite::PanelRow::Orbitra);
    EXPECT_EQ(qBlue(pixel(&panel, orb.x(), orb.y() + 1)),
              qBlue(pixel(&panel, orb.x(), orb.y() - 8)));
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
