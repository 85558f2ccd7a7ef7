// lumetra2: the program with its window.
#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/command_line.h"
#include "app/data_dir.h"
#include "app/message_sink.h"
#include "app/provenance.h"
#include "app/startup.h"
#include "suite/cli_report.h"
#include "suite/results_file.h"
#include "ui/gui_startup.h"
#include "ui/main_frame.h"

namespace {

// --help and --version answer before Qt needs a display.
bool answer_gnu_option(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf(
                "lumetra2 (Lumetra) %s\nRevision: %s\n%s\nCompiler: %s\nQt: %s (built with %s)\n",
                app::program_version().c_str(), app::source_revision().c_str(),
                std::string(app::kBuildString).c_str(), suite::compiler_name().c_str(), qVersion(),
                QT_VERSION_STR);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "Usage: lumetra2 [QT-OPTION]... [SWITCH]...\n"
                "The Lumetra 2.0 benchmark suite with its window. Switches queue an "
                "automatic run:\n");
            for (std::string_view line : app::help_lines())
                std::printf("%.*s\n", static_cast<int>(line.size()), line.data());
            std::printf(
                "\n  --help     display this help and exit\n"
                "  --version  output version information and exit\n"
                "See lumetra2(1) and lumetra2-cli(1).\n");
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard output must not become the lock file.
    app::open_closed_standard_descriptors();
    if (answer_gnu_option(argc, argv)) return 0;
    QApplication application(argc, argv);
    ui::init_application();
    // An installed program started without data at hand works in the per-user directory.
    const std::string note = app::enter_working_directory();
    if (!note.empty()) std::fprintf(stderr, "lumetra2: %s\n", note.c_str());
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
    // The queued run's outcome, with the command-line program's statuses.
    if (frame && rc == 0) rc = suite::exit_status_after_hand_over(frame->command_line());
    frame.reset();
    ui::shutdown_application();
    return rc;
}
