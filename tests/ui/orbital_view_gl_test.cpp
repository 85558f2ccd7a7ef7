// The Orbitra orbital view under a display with OpenGL (Xvfb and Mesa in CI), on a hand-made
// orbital: both signs drawn, a key, the close refused while a run feeds it. Without a usable
// OpenGL the test is skipped.
#include <gtest/gtest.h>

#include <cmath>

#include "atom/orbitra_run.h"
#include "gui_test_support.h"
#include "ui/gl_view_helper.h"
#include "ui/orbital_view_window.h"

namespace {

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
    EXPECT_FLOAT_EQ(view.camera().pitch, -10);
    EXPECT_FALSE(view.close());
    view.run_ended();
    EXPECT_TRUE(view.close());
}

}  // namespace
