// The "Orbitra" dialog over a real controller: the atom and grid lists (sorted, following the
// deck, a deck's own values marked, an empty folder), the grid override reaching the run, a
// whole run with its figures and curve, Cancel answered No and Yes, a refused deck, and the
// dialog without OpenGL.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

#include "orbitra_dialog_fixture.h"
#include "ui/gl_view_helper.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"
#include "ui/orbitra_graph.h"

namespace {

using atom_testing::deck;
using atom_testing::orbital;
using ui_test::OrbitraDialogTest;
using ui_test::shown_boxes;
using ui_test::wait_until;

const std::string kHeliumOrbitals = orbital(1, 0, 0, 0) + orbital(1, 0, 0, 1);

TEST_F(OrbitraDialogTest, ListsFollowTheDeckAndTheOverrideReachesTheRun) {
    write_deck("b.in", deck(2, 500, "0.01", "50", kHeliumOrbitals, 2));
    write_deck("A.in", atom_testing::helium_deck(250));
    // Grid values no list entry holds.
    write_deck("C.in", deck(2, 300, "0.002", "123", kHeliumOrbitals, 2));
    open();
    EXPECT_EQ(items(1038), (QStringList{"A", "b", "C"}));
    EXPECT_EQ(text(1038), QStringLiteral("A"));
    EXPECT_EQ(text(1042), QStringLiteral("250"));
    EXPECT_EQ(text(1043), QStringLiteral("0.001"));
    EXPECT_EQ(text(1044), QStringLiteral("400"));
    EXPECT_TRUE(w->control<QRadioButton>(1072)->isChecked());
    for (int id : {1042, 1043, 1044}) EXPECT_FALSE(enabled(id)) << id;

    choose(1038, QStringLiteral("b"));
    EXPECT_EQ(text(1042), QStringLiteral("500"));
    EXPECT_EQ(text(1043), QStringLiteral("0.01"));
    EXPECT_EQ(text(1044), QStringLiteral("50"));
    choose(1038, QStringLiteral("C"));
    EXPECT_EQ(text(1042), QStringLiteral("300 (deck)"));
    EXPECT_EQ(text(1043), QStringLiteral("0.002 (deck)"));
    EXPECT_EQ(text(1044), QStringLiteral("123 (deck)"));
    EXPECT_EQ(items(1042).size(), 7);
    // Another deck: the marked entry goes, nothing wrong stays selected.
    choose(1038, QStringLiteral("A"));
    EXPECT_EQ(items(1042).size(), 6);
    EXPECT_EQ(text(1042), QStringLiteral("250"));
    choose(1038, QStringLiteral("C"));

    // User Defined: 250 points chosen, the deck's own r init and r final kept.
    w->control<QRadioButton>(1073)->click();
    EXPECT_FALSE(controller.default_mode);
    for (int id : {1042, 1043, 1044}) EXPECT_TRUE(enabled(id)) << id;
    choose(1042, QStringLiteral("250"));
    EXPECT_EQ(controller.points_text, "250");
    click(1007);
    EXPECT_FALSE(enabled(1007));
    // Atom and mode cannot change during the run.
    EXPECT_FALSE(enabled(1038));
    EXPECT_FALSE(enabled(1042));
    w->control<QRadioButton>(1072)->click();
    controller.select_atom(0);
    EXPECT_FALSE(controller.default_mode);
    EXPECT_EQ(controller.atom_index, 2);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_EQ(text(1049), QStringLiteral("Status: Finished"));
    const std::string grid = atom_testing::read_file("radgridpositions");
    EXPECT_EQ(std::count(grid.begin(), grid.end(), '\n'), 250);
    const std::string log = atom_testing::read_file("Orbitra.out");
    EXPECT_NE(log.find("    initial r: 0.002000 \n"), std::string::npos);
    EXPECT_NE(log.find("      final r: 123.000000 \n"), std::string::npos);

    // Back to the deck's grid.
    w->control<QRadioButton>(1072)->click();
    EXPECT_TRUE(controller.default_mode);
    EXPECT_EQ(text(1042), QStringLiteral("300 (deck)"));
    EXPECT_FALSE(enabled(1042));
}

TEST_F(OrbitraDialogTest, WholeRunShowsFiguresCurveAndEndState) {
    ui::gl::force_unavailable(true);
    write_deck("He.in", atom_testing::helium_deck(250));
    open();
    ui::gl::force_unavailable(false);
    EXPECT_EQ(text(1049), QStringLiteral("Status: Idle"));
    EXPECT_EQ(text(1039), QStringLiteral("0.0000000000"));
    // Without OpenGL the view's controls are off and say why.
    EXPECT_FALSE(w->has_gl());
    for (int id : {1076, 1077, 4}) {
        EXPECT_FALSE(enabled(id)) << id;
        EXPECT_FALSE(w->control<QWidget>(id)->toolTip().isEmpty()) << id;
    }
    EXPECT_FALSE(enabled(1008));
    click(1007);
    click(1007);  // a second press starts nothing
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    QApplication::processEvents();
    EXPECT_EQ(text(1049), QStringLiteral("Status: Finished"));
    EXPECT_TRUE(enabled(1007));
    EXPECT_FALSE(enabled(4));
    // Helium's Hartree-Fock total energy is about -2.86 hartree, written with ten decimals.
    const QString total = text(1039);
    EXPECT_NEAR(total.toDouble(), -2.86, 0.05);
    EXPECT_EQ(total.size() - total.indexOf('.') - 1, 10);
    EXPECT_GT(text(1010).toInt(), 0);
    EXPECT_GT(text(1009).toDouble(), 0.0);
    auto* bar = w->control<QProgressBar>(1048);
    EXPECT_EQ(bar->value(), bar->maximum());
    const std::string console = app::console().text();
    EXPECT_EQ(console.find("Time: ") != std::string::npos, true);

    const QImage shot = w->graph()->grab().toImage();
    int green = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) green += QColor(shot.pixel(x, y)) == ui::kVirialPen;
    EXPECT_GT(green, 20);

    click(2);  // not running: the dialog closes without a question
    EXPECT_TRUE(w->ended());
    EXPECT_TRUE(shown_boxes().empty());
}

TEST_F(OrbitraDialogTest, CancelAnsweredNoLeavesTheRunGoingYesStopsIt) {
    // Silver on the shipped grid: many iterations of many orbitals.
    std::filesystem::create_directories(dir.path() / "Input Files");
    std::filesystem::copy_file(testing_support::source_data_dir() / "Input Files" / "Ag.in",
                               dir.path() / "Input Files" / "Ag.in");
    open();
    click(1007);
    auto& presenter = ui::gui_message_sink()->presenter;
    const auto answer_yes = presenter;
    presenter = [](const QString& text, const QString& title, bool question) {
        shown_boxes().push_back({text, title, question, true});
        return false;
    };
    click(2);
    presenter = answer_yes;
    ASSERT_EQ(shown_boxes().size(), 1u);
    EXPECT_EQ(shown_boxes()[0].text, QStringLiteral("Do you wish to stop the simulation?"));
    EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("Simulation in Progress"));
    EXPECT_FALSE(w->ended());
    EXPECT_TRUE(controller.running);
    EXPECT_FALSE(controller.shared().stop_request.is_set());
    QTest::qWait(200);
    EXPECT_TRUE(controller.running || text(1049) == QStringLiteral("Status: Finished"));

    if (controller.running) {
        click(2);
        ASSERT_TRUE(wait_until([&] { return idle(); }, 120000));
        EXPECT_EQ(text(1049), QStringLiteral("Status: Stopped"));
        EXPECT_EQ(controller.result, 0.0f);
    }
    EXPECT_FALSE(w->ended());
}

TEST_F(OrbitraDialogTest, EmptyFolderGivesAnEmptyListAndARunThatSaysWhy) {
    std::filesystem::create_directories(dir.path() / "Input Files");
    open();
    EXPECT_TRUE(items(1038).isEmpty());
    EXPECT_FALSE(enabled(1038));
    click(1007);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(text(1049).startsWith(QStringLiteral("Status: Error: No atom decks")))
        << text(1049).toStdString();
    EXPECT_FALSE(w->ended());
}

TEST_F(OrbitraDialogTest, RefusedDeckSaysWhyAndTheNextRunGoes) {
    // A deck that does not parse: its grid lists show nothing, the run says why.
    write_deck("Bad.in", "NuclearCharge two\n");
    write_deck("He.in", atom_testing::helium_deck(250));
    open();
    EXPECT_EQ(items(1038), (QStringList{"Bad", "He"}));
    EXPECT_EQ(text(1042), QString());
    click(1007);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_TRUE(text(1049).startsWith(QStringLiteral("Status: Error: Orbitra deck Bad.in")))
        << text(1049).toStdString();
    EXPECT_TRUE(enabled(1007));
    choose(1038, QStringLiteral("He"));
    EXPECT_EQ(text(1042), QStringLiteral("250"));
    click(1007);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_EQ(text(1049), QStringLiteral("Status: Finished"));
}

}  // namespace

namespace {

TEST_F(OrbitraDialogTest, AutomaticRunThroughTheProgramsRunnerShowsThisDialogAndClosesIt) {
    write_deck("He.in", atom_testing::helium_deck(250));
    controller.auto_start = true;
    controller.close_when_done = true;
    controller.deck_name = "he";
    bool ours = false;
    // The first turn of the dialog's own loop: which window is it?
    QTimer::singleShot(0, [&] {
        ours = qobject_cast<ui::OrbitraDialog*>(QApplication::activeModalWidget()) != nullptr;
    });
    EXPECT_EQ(app::modal_runner().run_modal(controller), app::kIdOk);
    EXPECT_TRUE(ours);
    EXPECT_EQ(controller.record().status(), app::RunStatus::Completed);
    EXPECT_GT(controller.result, 0.0f);
    EXPECT_GT(controller.scf_iteration_shown, 0);
    EXPECT_TRUE(shown_boxes().empty());
}

}  // namespace
