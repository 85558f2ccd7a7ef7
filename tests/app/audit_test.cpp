// Start-up faults that lost another run's files: a console log emptied by the next program
// started in the same second.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "app/console.h"
#include "app/startup.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace {

using testing_support::read_file;
using testing_support::TempDir;

TEST(StartUpLog, ProgramsStartedInOneSecondEachKeepTheirOwnLog) {
    TempDir dir;
    testing_support::RecordingSink sink;
    std::set<std::filesystem::path> paths;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        app::startup_banner();
        const auto path = app::startup_ready_and_log_file(dir.path());
        app::ConsoleLog("run " + std::to_string(run) + "\r\n");
        EXPECT_EQ(app::console().log_path(), path);
        paths.insert(path);
    }
    // Within one second the names are "...-s.txt", "...-s-2.txt", "...-s-3.txt".
    ASSERT_EQ(paths.size(), 3u);
    for (const auto& p : paths) {
        const std::string text = read_file(p);
        EXPECT_EQ(text.rfind("Lumetra 2.0 64-bit Edition", 0), 0u) << p;
        EXPECT_NE(text.find("run "), std::string::npos) << p;
    }
    EXPECT_TRUE(sink.boxes.empty());
}

}  // namespace
