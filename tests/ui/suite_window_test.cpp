// The suite window: the automatic run through a scripted modal runner, the comparison
// profiles, "Save as Profile..." and the score panel's bars.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "app/benchmark_codes.h"
#include "app/console.h"
#include "app/processor_info.h"
#include "app/run_registry.h"
#include "gui_test_support.h"
#include "store/commands.h"
#include "suite/profile.h"
#include "suite/score_panel.h"
#include "support/fake_runner.h"
#include "support/temp_dir.h"
#include "ui/dialog_window.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"
#include "ui/history_dialog.h"
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
    TempDir dir;
    ScopedCwd cwd{dir.path()};
    // Every benchmark dialog "completes" at once at the reference cipher rate (a sub-score of
    // 1000).
    testing_support::FakeRunner runs = completing_runner(112.51);
    RunnerScope scope{&runs};
    suite::SuiteController controller{app::run_registry()};
};

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

// Whether a pixel is one of the bar ramp's colours (any shade of pure blue or pure red).
bool bar_colour(QRgb c, bool red) {
    return red ? (qRed(c) >= 51 && qGreen(c) == 0 && qBlue(c) == 0)
               : (qBlue(c) >= 51 && qGreen(c) == 0 && qRed(c) == 0);
}

// "Save as Profile..." waits for a figure, writes into the Profiles folder only (anywhere else
// is refused with a message) and never replaces a profile without asking.
TEST_F(SuiteWindowTest, ProfilesAreSavedInTheProfilesFolderOnlyAndNeverReplacedUnasked) {
    const auto profiles = dir.path() / "Profiles";
    write_file(profiles / "Reference.rst", "kept\n");
    std::filesystem::create_directories(dir.path() / "Elsewhere");
    ui::CSuiteDlg w(controller, nullptr);
    controller.attach(&w);
    controller.on_paint();
    EXPECT_FALSE(w.save_button()->isEnabled());  // before a run: nothing to save
    EXPECT_FALSE(w.save_profile(profiles / "Early.rst", "early"));
    EXPECT_FALSE(std::filesystem::exists(profiles / "Early.rst"));
    w.run_button()->click();
    EXPECT_TRUE(w.save_button()->isEnabled());

    // The boxes shown, questions answered as each row says; the usual presenter is back after.
    bool answer = false;
    std::vector<QString> asked, told;
    auto* sink = ui::gui_message_sink();
    struct Restore {
        ui::GuiMessageSink* sink;
        decltype(sink->presenter) saved = sink->presenter;
        ~Restore() { sink->presenter = saved; }
    } restore{sink};
    sink->presenter = [&](const QString& text, const QString&, bool question) {
        (question ? asked : told).push_back(text);
        return question ? answer : true;
    };
    const struct {
        std::filesystem::path typed;
        bool answer, asks, saved;
    } rows[] = {
        {profiles / "Reference", false, true, false},      // ".rst" added: it exists, so it asks
        {profiles / "Reference.rst", false, true, false},  // typed in full: the same question
        {"Profiles/Reference", true, true, true},          // replaced once the user says yes
        {"Profiles/Fresh.rst", false, false, true},        // a new name: no question
        {profiles / "Mine", false, false, true},
        {dir.path() / "Elsewhere" / "Lost.rst", false, false, false},
        {profiles / ".." / "Escaped.rst", false, false, false},
        {"Top.rst", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed.string());
        write_file(profiles / "Reference.rst", "kept\n");
        asked.clear(), told.clear();
        answer = row.answer;
        EXPECT_EQ(w.save_profile_as(row.typed, "mine"), row.saved);
        EXPECT_EQ(asked, row.asks
                             ? std::vector<QString>{QStringLiteral(
                                   "Reference.rst already exists.\nDo you want to replace it?")}
                             : std::vector<QString>{});
        EXPECT_EQ(told.size(), row.saved || row.asks ? 0u : 1u);  // a refusal says why
        EXPECT_EQ(std::filesystem::exists(suite::profile_save_path(row.typed)),
                  row.saved || row.asks);
        EXPECT_EQ(suite::read_profile_file(profiles / "Reference.rst").description == "mine",
                  row.saved && row.asks);
    }
}

// The panel at its pixels: a cut bar ends in a chevron inside its box, a full-scale one has
// none, no figure draws nothing, absent profile values draw no red bar; a long description is
// cut with "…" inside its box and shown whole as a tooltip.
TEST(ScorePanel, BarsAndTextsStayInsideTheirBoxes) {
    ui::ScorePanel panel(nullptr);
    panel.resize(panel.minimumSize());
    suite::SubScores s;
    s.of("md") = 4500.0f;      // above full scale: cut, with the marker
    s.of("stream") = 3000.0f;  // exactly full scale: a full bar, no marker
    s.of("orbitra") = -1.0f;
    const std::string desc = "Quad " + std::string(85, 'W');
    panel.set_state(s, suite::parse_profile("a\nb\nc\nd\n" + desc +
                                            "\n1\n2000\n-1 1200 -1 1300 -1.00 nan 0\n"));
    const QImage img = panel.snapshot();
    const QPoint md = panel.bar_origin(suite::PanelRow::MolDyn);
    const int box_right =
        panel.label(suite::PanelRow::MolDyn)->geometry().left() + suite::kPanelBoxWidth - 1;
    const int row = md.y() + 1;  // above the chevron's arms
    EXPECT_EQ(QColor(img.pixel(md.x() + 447, row)), QColor(0, 0, 255));
    for (int x = md.x() + 448; x <= box_right; ++x)
        EXPECT_FALSE(bar_colour(img.pixel(x, row), false)) << x;
    // The chevron's tip, white 3 columns inside the last column; a full-scale bar has none.
    const int mid = (suite::kScoreBarBottom - suite::kScoreBarTop) / 2;
    EXPECT_EQ(QColor(img.pixel(md.x() + 444, md.y() + mid)), QColor(Qt::white));
    EXPECT_EQ(QColor(img.pixel(md.x() + 446, md.y() + mid)), QColor(0, 0, 255));
    const QPoint st = panel.bar_origin(suite::PanelRow::Stream);
    EXPECT_EQ(QColor(img.pixel(st.x() + 444, st.y() + mid)), QColor(0, 0, 255));
    const QPoint orb = panel.bar_origin(suite::PanelRow::Orbitra);  // no figure: background
    EXPECT_EQ(img.pixel(orb.x() + 100, orb.y() + 1), img.pixel(orb.x() + 100, orb.y() - 8));

    const int profile_row = suite::kProfileBarTop - suite::kScoreBarTop + 2;
    using R = suite::PanelRow;
    for (const auto& [r, bar] : {std::pair{R::Memory, false},
                                 {R::Stream, true},
                                 {R::MolDyn, true},
                                 {R::Orbitra, false},
                                 {R::Blas, false},
                                 {R::Cipher, false}}) {
        const QPoint o = panel.bar_origin(r);
        EXPECT_EQ(bar_colour(img.pixel(o.x(), o.y() + profile_row), true), bar)
            << static_cast<int>(r);
    }
    const std::string line = panel.comparison_lines()[0];
    EXPECT_EQ(line.rfind("Comparison Platform: Quad WWW", 0), 0u);
    EXPECT_EQ(line.substr(line.size() - 3), "\u2026");
    const QRect cmp = panel.comparison_box();
    for (int y = cmp.top() + 2; y < cmp.top() + 17; ++y)
        for (int x = cmp.right() - 3; x <= cmp.right() - 2; ++x)
            EXPECT_GE(qGray(img.pixel(x, y)), 128) << x << "," << y;
    EXPECT_TRUE(panel.toolTip().contains(QString::fromStdString(desc)));
}

// "Export Report..." writes the report of the run shown; "History..." lists the store's runs.
TEST_F(SuiteWindowTest, ExportsTheShownRunsReportAndListsTheStoresRuns) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir.path() / "xdg").string()));
    ui::CSuiteDlg w(controller, nullptr);
    controller.attach(&w);
    controller.on_paint();
    const auto out = dir.path() / "report.html";
    ui_test::shown_boxes().clear();
    EXPECT_FALSE(w.export_report(out));  // no run yet
    EXPECT_EQ(ui_test::shown_boxes().size(), 1u);
    w.run_button()->click();
    ASSERT_FALSE(controller.results_file().empty());
    EXPECT_TRUE(w.export_report(out));
    EXPECT_NE(testing_support::read_file(out).find("id=\"chart-score\""), std::string::npos);
    EXPECT_EQ(store::record_in_default_store(controller.results_file()), "");
    ui::HistoryDialog history(store::default_store_path(), &w);
    EXPECT_EQ(history.table()->rowCount(), 1);
    if (const char* keep = std::getenv("LUMETRA_KEEP_REPORT")) {
        w.grab().save(QString(keep) + "/suite_window.png");
        history.show();
        history.grab().save(QString(keep) + "/history.png");
    }
    qputenv("XDG_DATA_HOME", saved);
}

}  // namespace
