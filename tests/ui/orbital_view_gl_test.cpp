// The Orbitra orbital view under a display with OpenGL (Xvfb and Mesa in CI): the window on a
// hand-made orbital (both signs drawn, keys, the close refused while a run feeds it, the note
// for l = 3), and through the dialog: the view during a run and "View Simulation" after it,
// turning on its own. Without a usable OpenGL the tests are skipped.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <cmath>

#include "orbitra_dialog_fixture.h"
#include "ui/gl_view_helper.h"
#include "ui/orbital_view_window.h"

namespace {

using ui_test::OrbitraDialogTest;
using ui_test::wait_until;

// A 2p-like radial function on a 1000-point grid.
void fill_record(atom::OrbitraShared& sh, int harmonic) {
    std::lock_guard lock(sh.mutex);
    atom::radgrid& u = sh.view_u;
    u.points = 1000;
    u.rinit = 0.0001;
    u.rfinal = 100;
    u.dlog = std::log(u.rfinal / u.rinit) / u.points;
    u.values.resize(1000);
    for (int i = 0; i < 1000; ++i) {
        const double r = u.rinit * std::exp((i + 1) * u.dlog);
        u.values[static_cast<size_t>(i)] = r * r * std::exp(-r / 2);
    }
    sh.view_harmonic = harmonic;
}

TEST(OrbitalViewWindow, DrawsBothSignsAnswersKeysAndRefusesToCloseDuringARun) {
    if (!ui::gl::available()) GTEST_SKIP() << "no OpenGL on this display";
    atom::OrbitraShared sh;
    fill_record(sh, 1);  // the x harmonic: positive and negative halves
    ui::OrbitalViewWindow view(sh, true, nullptr);
    view.show_window(false);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("OpenGL View"));
    EXPECT_EQ(view.size(), QSize(800, 600));
    const int steps = view.steps();
    ASSERT_TRUE(wait_until([&] { return view.steps() >= steps + 2; }));
    EXPECT_TRUE(view.note_text().isEmpty());

    const QImage shot = view.grabFramebuffer();
    int blue = 0, red = 0, white = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2) {
            const QColor c(shot.pixel(x, y));
            // The light brightens the colours; the sign is the dominant channel.
            blue += c.blue() > c.red() + 60 && c.blue() > c.green() + 60;
            red += c.red() > c.blue() + 60 && c.red() > c.green() + 60;
            white += c.red() > 200 && c.green() > 200 && c.blue() > 200;
        }
    EXPECT_GT(blue, 50);
    EXPECT_GT(red, 50);
    EXPECT_GT(white, 0);  // the box and the angle text

    QTest::keyClick(&view, Qt::Key_W);
    QTest::keyClick(&view, Qt::Key_D);
    QTest::keyClick(&view, Qt::Key_V);
    EXPECT_FLOAT_EQ(view.camera().pitch, -10);
    EXPECT_FLOAT_EQ(view.camera().yaw, 10);
    EXPECT_FLOAT_EQ(view.camera().z, 100);
    EXPECT_EQ(view.angles_text(), QByteArray("Pitch: -10.00 Yaw: 10.00"));
    QTest::keyClick(&view, Qt::Key_R);
    EXPECT_FLOAT_EQ(view.camera().pitch, 0);
    EXPECT_FLOAT_EQ(view.camera().z, 150);
    QTest::keyClick(&view, Qt::Key_G);
    QTest::keyClick(&view, Qt::Key_Y);
    EXPECT_FALSE(view.box_shown());
    EXPECT_FALSE(view.text_shown());

    EXPECT_FALSE(view.close());
    view.run_ended();
    EXPECT_TRUE(view.close());
}

TEST(OrbitalViewWindow, AnFOrbitalWithoutHarmonicShowsTheRadialPartAndSaysSo) {
    if (!ui::gl::available()) GTEST_SKIP() << "no OpenGL on this display";
    atom::OrbitraShared sh;
    fill_record(sh, 3 * 4 + 2);  // l = 3, m = 2
    ui::OrbitalViewWindow view(sh, false, nullptr);
    EXPECT_EQ(view.note_text(), QByteArray("l = 3, m = 2: radial part u(r) only"));
    // Every value is u alone: nothing negative.
    const auto r = atom::value_range(view.rings());
    EXPECT_GE(r.min, 0.0f);
    EXPECT_GT(r.max, 0.0f);
}

TEST_F(OrbitraDialogTest, ViewDuringTheRunThenViewSimulationTurnsTheKeptOrbital) {
    if (!ui::gl::available()) GTEST_SKIP() << "no OpenGL on this display";
    write_deck("He.in", atom_testing::helium_deck(250));
    open();
    EXPECT_TRUE(w->has_gl());
    EXPECT_FALSE(enabled(1077));
    w->control<QCheckBox>(1076)->click();
    EXPECT_TRUE(controller.view_sim);
    EXPECT_TRUE(enabled(1077));
    click(1007);
    ui::OrbitalViewWindow* view = w->view_window();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->run_active());
    EXPECT_FALSE(view->close());  // the run feeds it
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_FALSE(view->run_active());
    EXPECT_TRUE(enabled(4));
    EXPECT_TRUE(view->close());

    // Reopened on the kept orbital: a new window that turns by itself; a second press opens
    // no second one.
    click(4);
    ui::OrbitalViewWindow* again = w->view_window();
    ASSERT_NE(again, nullptr);
    click(4);
    EXPECT_EQ(w->view_window(), again);
    const int steps = again->steps();
    ASSERT_TRUE(wait_until([&] { return again->steps() >= steps + 3; }));
    EXPECT_GT(atom::value_range(again->rings()).max, 0.0f);
    EXPECT_TRUE(again->close());

    // A new run closes any view first and releases the kept data when View Sim is off.
    w->control<QCheckBox>(1076)->click();
    click(1007);
    EXPECT_EQ(w->view_window(), nullptr);
    EXPECT_FALSE(enabled(4));
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_FALSE(enabled(4));
}

}  // namespace
