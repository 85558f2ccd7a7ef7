// The GUI's start-up with the real window: the lines and their order, the view showing them,
// and the same console lines as the command-line program under a German locale.
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

std::size_t find(const std::string& text, const char* what) {
    return text.find(what);
}

TEST(GuiStartup, PrintsItsLinesInOrderAndTheViewShowsThem) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    std::unique_ptr<ui::CMainFrame> frame = ui::run_gui_startup("", dir.path());
    ASSERT_NE(frame, nullptr);
    const std::string text = app::console().text();
    const std::size_t banner = find(text, "Lumetra 2.0 64-bit Edition Build 21MAR05\r\n");
    const std::size_t detecting = find(text, "Detecting ");
    const std::size_t ready = find(text, "\r\nReady to execute.\x1c_\r\n");
    EXPECT_EQ(banner, 0u);
    EXPECT_LT(detecting, ready);
    EXPECT_EQ(ready + 23, text.size());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->timer_active(500));
    // The view shows the text once timer 500 has seen the console change.
    ASSERT_TRUE(wait_until([&] { return frame->console_view()->document().text() == text; }));
    // The log file holds everything up to "Ready to execute.".
    const std::filesystem::path log = app::console().log_path();
    EXPECT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(log.parent_path(), dir.path());
}

using testing_support::use_german_locale;

TEST(GuiStartup, GermanLocalePrintsTheSameLinesAsTheCommandLineProgram) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    if (!use_german_locale(dir.path())) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    // What the program does right after its QApplication exists.
    ui::init_application();
    const char* cmdline = "-moldyn -moldyn -sgemm:sse2s";
    std::unique_ptr<ui::CMainFrame> frame = ui::run_gui_startup(cmdline, dir.path());
    ASSERT_NE(frame, nullptr);
    const std::string gui = app::console().text();
    frame.reset();

    std::setlocale(LC_ALL, "C");
    app::run_startup(cmdline);
    const std::string cli = app::console().text();
    EXPECT_EQ(gui, cli);
    EXPECT_NE(gui.find(" MHz\r\n"), std::string::npos);
    unsetenv("LOCPATH");
}

}  // namespace
