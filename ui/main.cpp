// lumetra2: the program with its window.
#include <QApplication>

#include "app/command_line.h"
#include "app/message_sink.h"
#include "app/startup.h"
#include "ui/gui_startup.h"
#include "ui/main_frame.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ui::init_application();
    // A second program in this folder would write over the first one's files.
    std::string busy;
    if (!app::lock_working_directory(".", &busy)) {
        app::message_sink().message_box(busy, "Lumetra 2.0");
        ui::shutdown_application();
        return 1;
    }
    // QApplication has taken its own options out of argv; the rest is ours.
    const std::string cmdline = app::command_line_text(argc, argv);
    std::unique_ptr<ui::CMainFrame> frame = ui::run_gui_startup(cmdline);
    int rc = 0;
    if (frame) rc = QApplication::exec();
    frame.reset();
    ui::shutdown_application();
    return rc;
}
