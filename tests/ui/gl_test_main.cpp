// The entry of the GUI tests that need OpenGL: the X display when there is one (Xvfb with
// Mesa's software renderer in CI), the offscreen platform otherwise (the tests then skip).
// Boxes are recorded instead of shown, as in the other GUI tests.
#include "gui_test_entry.h"

// The GL driver and the X platform's D-Bus connection keep allocations past exit, in libraries
// unloaded before the leak check could name them. Our own code's leaks are checked by the other
// GUI tests, which run the same dialog without OpenGL.
extern "C" void __lsan_disable() __attribute__((weak));
// Threads of their own (D-Bus) are not covered by disabling the check on this one.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
    if (__lsan_disable) __lsan_disable();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return ui_test::run_gui_tests(argc, argv);
}
