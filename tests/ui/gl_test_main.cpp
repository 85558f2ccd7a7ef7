// The entry of the GUI tests that need OpenGL: the X display when there is one (Xvfb with
// Mesa's software renderer in CI), the offscreen platform otherwise (the tests then skip).
// Boxes are recorded instead of shown, as in the other GUI tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>

#include "gui_test_support.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"

// The GL driver and the X platform's D-Bus connection keep allocations past exit, in libraries
// unloaded before the leak check could name them. Our own code's leaks are checked by the other
// GUI tests, which run the same dialog without OpenGL.
extern "C" void __lsan_disable() __attribute__((weak));
// Threads of their own (D-Bus) are not covered by disabling the check on this one.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace ui_test {
std::vector<ShownBox>& shown_boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}
}  // namespace ui_test

int main(int argc, char** argv) {
    if (__lsan_disable) __lsan_disable();
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
