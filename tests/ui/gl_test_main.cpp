// The entry of the GUI tests that need OpenGL: the X display when there is one (Xvfb with
// Mesa's software renderer in CI), the offscreen platform otherwise (the tests then skip).
// Boxes are recorded instead of shown, as in the other GUI tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>

#include "gui_test_support.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"

// Mesa's drivers keep allocations for the life of the process; only our own leaks count.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libGLX_mesa\nleak:libgallium\nleak:swrast_dri\nleak:libLLVM\nleak:libglapi\n"
           "leak:libEGL_mesa\nleak:libX11\nleak:libxcb\nleak:libdrm\nleak:libfontconfig\n";
}

namespace ui_test {
std::vector<ShownBox>& shown_boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}
}  // namespace ui_test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    ui::init_application();
    ui::gui_message_sink()->presenter = [](const QString& text, const QString& title,
                                           bool question) {
        ui_test::shown_boxes().push_back(
            {text, title, question, QThread::currentThread() == qApp->thread()});
        return true;
    };
    const int rc = RUN_ALL_TESTS();
    ui::shutdown_application();
    return rc;
}
