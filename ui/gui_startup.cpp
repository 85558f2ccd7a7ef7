#include "ui/gui_startup.h"

#include <QApplication>
#include <clocale>

#include "app/console.h"
#include "app/startup.h"
#include "ui/dialog_window.h"
#include "ui/gui_message_sink.h"
#include "ui/main_frame.h"

namespace ui {
namespace {
std::unique_ptr<GuiMessageSink> g_sink;
}  // namespace

void init_application() {
    // QApplication adopts the user's locale; the program's figures are formatted in "C".
    std::setlocale(LC_NUMERIC, "C");
    const QString key = QString::fromLatin1(app::kSettingsKey.data(),
                                            static_cast<qsizetype>(app::kSettingsKey.size()));
    QCoreApplication::setOrganizationName(key);
    QCoreApplication::setApplicationName(key);
    if (!g_sink) {
        g_sink = std::make_unique<GuiMessageSink>();
        g_sink->install();
    }
    install_gui_modal_runner();
    register_all_windows();
}

void shutdown_application() {
    app::set_modal_runner(nullptr);
    g_sink.reset();
}

GuiMessageSink* gui_message_sink() {
    return g_sink.get();
}

std::unique_ptr<CMainFrame> run_gui_startup(std::string_view cmdline,
                                            const std::filesystem::path& log_dir) {
    // The settings key (registered by init_application), the processor count and the banner.
    app::startup_banner();
    // The main window exists before detection starts, so the console shows it happening.
    auto frame = std::make_unique<CMainFrame>();
    app::startup_detecting_line();
    // The window and its console view appear; timers 500 and 505 start.
    frame->show();
    app::console().changed_event().reset();
    frame->create_console_view();
    if (!frame->start_timers()) return nullptr;
    frame->repaint();
    // Processor detection and its report, "Ready to execute.", the console log file.
    app::startup_detect_processors();
    app::startup_ready_and_log_file(log_dir);
    frame->repaint();
    // The command line becomes the run queue the first tick of timer 505 hands over.
    app::CommandLine cl = app::parse_command_line(cmdline);
    frame->set_command_line(cl);
    return frame;
}

}  // namespace ui
