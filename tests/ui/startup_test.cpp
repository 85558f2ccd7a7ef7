// The GUI's start-up with the real window: the command-line program's lines, shown in the view.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>

#include "app/console.h"
#include "app/startup.h"
#include "gui_test_support.h"
#include "support/german_locale.h"
#include "support/temp_dir.h"
#include "ui/console_view.h"
#include "ui/gui_startup.h"
#include "ui/main_frame.h"

namespace {

using testing_support::ScopedCwd;
using testing_support::TempDir;
using ui_test::wait_until;

// The GUI's start-up prints what the command-line program prints for the same line, under a
// German locale where one is installed (a decimal comma must not reach the texts); the window
// shows it and the log file is in the working directory.
TEST(GuiStartup, PrintsTheCommandLineProgramsLinesAndTheViewShowsThem) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    if (testing_support::use_german_locale(dir.path())) {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    // What the program does right after its QApplication exists.
    ui::init_application();
    const char* cmdline = "-moldyn -moldyn -sgemm:sse2s";
    std::unique_ptr<ui::CMainFrame> frame = ui::run_gui_startup(cmdline, dir.path());
    ASSERT_NE(frame, nullptr);
    const std::string gui = app::console().text();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->timer_active(500));
    // The view shows the text once timer 500 has seen the console change.
    ASSERT_TRUE(wait_until([&] { return frame->console_view()->document().text() == gui; }));
    EXPECT_EQ(app::console().log_path().parent_path(), dir.path());
    EXPECT_TRUE(std::filesystem::exists(app::console().log_path()));
    frame.reset();

    std::setlocale(LC_ALL, "C");
    app::run_startup(cmdline);
    EXPECT_EQ(gui, app::console().text());
    EXPECT_NE(gui.find(" MHz\r\n"), std::string::npos);
    unsetenv("LOCPATH");
}

}  // namespace
