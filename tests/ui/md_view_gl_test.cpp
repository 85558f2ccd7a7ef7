// The OpenGL parts of the molecular dynamics window under a display with OpenGL (Xvfb and
// Mesa's software renderer in CI): the turning picture, the "OpenGL View" window during a run,
// a replay and in full screen. Without a usable OpenGL the test is skipped.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <fstream>

#include "md_dialog_fixture.h"
#include "ui/gl_view_helper.h"
#include "ui/md_view_window.h"

namespace {

using ui_test::MdDialogTest;
using ui_test::wait_until;

// Under a display with OpenGL (Xvfb and Mesa in CI): the picture turns and the view window
// draws every atom, refuses to close while the run owns it and answers the keys.
TEST_F(MdDialogTest, OpenGlPictureAndViewWindowDuringARunAndAReplay) {
    if (!ui::gl::available()) GTEST_SKIP() << "no OpenGL on this display";
    // 100 steps: a software renderer draws the replay's frames one by one.
    std::ofstream(dir.path() / "MD" / "Short.in")
        << "LatticeType 0\nSpecies1 1\nCellsPerSide 4\nTemperatureKelvin 30.0\n"
           "TimeStepReduced 0.0001\nNumberOfSteps 100\n";
    controller.deck_name = "Short";
    open();
    EXPECT_TRUE(w->has_gl());
    ASSERT_TRUE(wait_until([&] { return !w->picture()->pixmap().isNull(); }));
    // The wire cube is white on black somewhere in the picture.
    const QImage pic = w->picture()->pixmap().toImage();
    EXPECT_EQ(pic.size(), QSize(200, 150));
    bool white = false;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) white |= QColor(pic.pixel(x, y)).lightness() > 200;
    EXPECT_TRUE(white);
    const float angle = controller.picture_angle;
    QTest::qWait(100);
    EXPECT_NE(controller.picture_angle, angle);

    w->control<QCheckBox>(1013)->click();
    EXPECT_TRUE(controller.view_enabled);
    EXPECT_TRUE(enabled(1014));
    click(1006);
    ui::MdViewWindow* view = w->view_window();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("OpenGL View"));
    EXPECT_FALSE(view->close());  // the run owns it
    QTest::keyClick(view, Qt::Key_W);
    EXPECT_FLOAT_EQ(view->camera().pitch, -10);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_EQ(w->view_window(), nullptr);

    click(1010);
    view = w->view_window();
    ASSERT_NE(view, nullptr);
    view->resize(300, 200);
    EXPECT_FALSE(view->close());
    ASSERT_TRUE(wait_until([&] { return idle() || view->frames_drawn() >= 10; }));
    if (!idle()) {
        EXPECT_GE(view->frames_drawn(), 10);
    }
    ASSERT_TRUE(wait_until([&] { return idle(); }, 120000));
    EXPECT_EQ(console_count("Frames: 100 Runtime:"), 1);
    EXPECT_EQ(w->view_window(), nullptr);

    // Full screen: the window covers the screen (or stays a window where that is refused).
    w->control<QCheckBox>(1014)->click();
    EXPECT_TRUE(controller.view.full_screen);
    click(1006);
    view = w->view_window();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->full_screen(), view->isFullScreen());
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_EQ(w->view_window(), nullptr);
}

}  // namespace
