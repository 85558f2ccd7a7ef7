// lumetra2: the program with its window.
#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <strings.h>
#include <cstdio>
#include <cstring>

#include "app/command_line.h"
#include "app/console.h"
#include "app/data_dir.h"
#include "app/message_sink.h"
#include "app/provenance.h"
#include "app/startup.h"
#include "store/commands.h"
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
            // Within 80 columns, the descriptions aligned (the console's -help keeps its text).
            std::fputs(
                "Usage: lumetra2 [QT-OPTION]... [SWITCH]...\n"
                "The Lumetra 2.0 benchmark suite with its window. Switches queue an automatic\n"
                "run:\n"
                "  -automate             run unattended, then close the program\n"
                "  -runallbench          run every benchmark (the window stays open without\n"
                "                        -automate)\n"
                "  -membench             memory bandwidth and latency\n"
                "  -moldyn[:FILE.in]     molecular dynamics (MD/Argon-Helium.in or MD/FILE.in)\n"
                "  -orbitra[:FILE.in]    Orbitra (\"Input Files/Ag.in\" or \"Input "
                "Files/FILE.in\")\n"
                "  -cipherbench          AES-128 throughput\n"
                "  -sgemm[:compiler]     single precision matrix multiply (own blocked kernel)\n"
                "  -dgemm[:compiler]     double precision matrix multiply (own blocked kernel)\n"
                "  -help                 list the switches in the console text\n"
                "\n"
                "  --help                display this help and exit\n"
                "  --version             output version information and exit\n"
                "\n"
                "Exit status: 0 when closed normally; with switches, those of lumetra2-cli\n"
                "(1: a benchmark failed or the folder is locked, 2: bad switches, 130/143:\n"
                "interrupted).\n"
                "See lumetra2(1) and lumetra2-cli(1).\n",
                stdout);
            return true;
        }
    }
    return false;
}

// -automate (any case): nobody is there to close a message box.
bool unattended(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (::strcasecmp(argv[i], "-automate") == 0) return true;
    return false;
}

// The window icon, drawn like packaging/lumetra2.svg (the desktop entry's icon) so a panel
// shows it without an SVG image plugin.
QIcon program_icon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x3b, 0x5a));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    const struct {
        int x, y;
        QRgb colour;
    } bars[] = {{12, 38, 0x6fb3e0}, {24, 28, 0x8cc8ec}, {36, 20, 0xb5dcf4}, {48, 12, 0xf2c14e}};
    for (const auto& bar : bars)
        p.fillRect(QRectF(bar.x, bar.y, 8, 54 - bar.y), QColor(bar.colour));
    QPainterPath line(QPointF(10, 34));
    line.lineTo(28, 22);
    line.lineTo(40, 16);
    line.lineTo(56, 8);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
    return QIcon(pixmap);
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard output must not become the lock file.
    app::open_closed_standard_descriptors();
    if (answer_gnu_option(argc, argv)) return 0;
    QApplication application(argc, argv);
    ui::init_application();
    // Unattended, nobody closes a box: messages go to stderr (the default sink) instead.
    if (unattended(argc, argv)) app::set_message_sink(nullptr);
    QApplication::setWindowIcon(program_icon());
    QGuiApplication::setDesktopFileName(QStringLiteral("lumetra2"));
    // An installed program started without data at hand works in the per-user directory.
    const app::WorkingDirectoryNote where = app::enter_working_directory();
    for (const std::string& line : where.lines)
        std::fprintf(stderr, "lumetra2: %s\n", line.c_str());
    if (!where.ok) {
        ui::shutdown_application();
        return 1;
    }
    // A second program in this folder would write over the first one's files.
    std::string busy;
    if (!app::lock_working_directory(".", &busy)) {
        if (unattended(argc, argv))
            std::fprintf(stderr, "lumetra2: %s\n", busy.c_str());
        else
            app::message_sink().message_box(busy, "Lumetra 2.0");
        ui::shutdown_application();
        return 1;
    }
    // QApplication has taken its own options out of argv; the rest is ours.
    const std::string cmdline = app::command_line_text(argc, argv);
    // Every results file a run writes is kept in the results store too, as lumetra2-cli does;
    // a store that cannot be used costs one console line.
    suite::set_results_written_hook([](const std::filesystem::path& file) {
        const std::string warning = store::record_in_default_store(file);
        if (!warning.empty()) app::ConsoleLog("Warning: " + warning + "\r\n");
    });
    std::unique_ptr<ui::CMainFrame> frame = ui::run_gui_startup(cmdline);
    int rc = 0;
    if (frame) rc = QApplication::exec();
    // The queued run's outcome, with the command-line program's statuses.
    if (frame && rc == 0) rc = suite::exit_status_after_hand_over(frame->command_line());
    frame.reset();
    ui::shutdown_application();
    return rc;
}
