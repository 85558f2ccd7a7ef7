// The body both GUI test programs share: one QApplication for the process, the program's own
// set-up, and a message sink whose boxes are recorded instead of shown. Included by the two
// entry files only (it defines the recorded-box list).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>

#include "gui_test_support.h"
#include "ui/gui_message_sink.h"
#include "ui/gui_startup.h"

namespace ui_test {

std::vector<ShownBox>& shown_boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

inline int run_gui_tests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    ui::init_application();
    ui::gui_message_sink()->presenter = [](const QString& text, const QString& title,
                                           bool question) {
        shown_boxes().push_back(
            {text, title, question, QThread::currentThread() == qApp->thread()});
        return true;
    };
    const int rc = RUN_ALL_TESTS();
    ui::shutdown_application();
    return rc;
}

}  // namespace ui_test
