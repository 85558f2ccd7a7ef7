// The OpenGL views as a careful user sees them: a crystal of one species keeps its colour, the
// dialog keeps its own window when a view opens, and the dialog's picture draws only what
// changed. Skipped without a usable OpenGL.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QPointer>
#include <QWindow>
#include <fstream>

#include "md_dialog_fixture.h"
#include "ui/gl_view_helper.h"
#include "ui/md_picture.h"
#include "ui/md_view_window.h"

namespace {

using ui_test::MdDialogTest;
using ui_test::wait_until;

// Pixels whose colour leans towards the species' own (not grey, not white).
int tinted(const QImage& image, int species) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            const int lean = species == 0 ? c.blue() - c.red() : c.green() - c.red();
            n += lean > 8;
        }
    return n;
}

// One species everywhere: the guide cube's white must not become the spheres' material, in
// the dialog's picture and in the view window, from the second frame on as in the first.
TEST(OneSpeciesCrystal, SpheresKeepTheSpeciesColour) {
    if (!ui::gl::available()) GTEST_SKIP() << "no OpenGL on this display";
    for (const int species : {0, 2}) {  // helium leans blue, argon green
        SCOPED_TRACE(species);
        ui::MdPicture picture;
        ASSERT_TRUE(picture.ready());
        ui::PictureScene scene;
        scene.show_sites = true;
        scene.species = {species, species, species, species};
        QImage image;
        for (int frame = 0; frame < 3; ++frame) {
            scene.angle = static_cast<float>(frame);
            image = picture.render(scene);
        }
        EXPECT_GT(tinted(image, species), 10);

        md::ViewSettings view;
        ui::MdViewWindow window(view, nullptr, nullptr);
        window.resize(300, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const double xyz[] = {0.5, 0.5, 0.5, 0.4, 0.4, 0.5};
        const int32_t kinds[] = {species, species};
        window.camera().radius = 8.0f;
        for (int frame = 0; frame < 3; ++frame) {
            window.set_frame(xyz, kinds, 2);
            image = window.grabFramebuffer();
        }
        EXPECT_GT(tinted(image, species), 10);
        window.release();
    }
}

// A run of many seconds (512 atoms, 25,000 steps): it is stopped by the test.
class LongRunTest : public MdDialogTest {
  protected:
    void use_long_deck() {
        std::ofstream(dir.path() / "MD" / "Long.in")
            << "LatticeType 0\nSpecies1 1\nCellsPerSide 8\nTemperatureKelvin 30.0\n"
               "TimeStepReduced 0.0001\nNumberOfSteps 25000\n";
        controller.deck_name = "Long";
    }
};

// The dialog stays the same native window when its first view window opens, and the view
// still belongs to it (input reaches it while the dialog runs modally).
TEST_F(LongRunTest, OpeningTheViewKeepsTheDialogsWindow) {
    if (!ui::gl::available()) GTEST_SKIP() << "no OpenGL on this display";
    use_long_deck();  // the view is still open when it is looked at; stopped after
    open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const WId id = w->winId();
    QWindow* handle = w->windowHandle();
    w->control<QCheckBox>(1013)->click();
    click(1006);
    const QPointer<ui::MdViewWindow> view = w->view_window();
    ASSERT_NE(view, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(w->windowHandle(), handle);
    EXPECT_EQ(w->winId(), id);
    ASSERT_NE(view, nullptr) << "the run ended before the view could be looked at";
    ASSERT_NE(view->windowHandle(), nullptr);
    EXPECT_EQ(view->windowHandle()->transientParent(), handle);
    click(2);  // stop: the question is answered yes
    ASSERT_TRUE(wait_until([&] { return idle(); }));
}

// The picture is drawn when it changes: it turns while idle (slower on a software renderer)
// and, during a run, only when the run turns it.
TEST_F(LongRunTest, PictureIsDrawnOnlyWhenItChanges) {
    if (!ui::gl::available()) GTEST_SKIP() << "no OpenGL on this display";
    use_long_deck();
    open();
    ASSERT_TRUE(wait_until([&] { return w->pictures_rendered() >= 2; }));
    EXPECT_GE(w->picture_period_ms(), ui::gl::software_renderer() ? 100 : 10);
    click(1006);
    ASSERT_FALSE(idle());
    // Only the run turns the picture; nothing else redraws it.
    float angle = controller.picture_angle;
    const int drawn = w->pictures_rendered();
    int turns = 0;
    for (int i = 0; i < 60 && !idle(); ++i) {
        QTest::qWait(10);
        turns += controller.picture_angle != angle;
        angle = controller.picture_angle;
    }
    EXPECT_LE(w->pictures_rendered() - drawn, turns + 1);
    click(2);  // stop: the question is answered yes
    ASSERT_TRUE(wait_until([&] { return idle(); }));
}

}  // namespace
