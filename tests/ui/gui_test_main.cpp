// The GUI tests' entry, on the offscreen platform.
#include "gui_test_entry.h"

int main(int argc, char** argv) {
    // No OpenGL here: the offscreen platform runs anywhere, with or without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return ui_test::run_gui_tests(argc, argv);
}
