// Start-up faults that lost another run's files: a console log emptied by the next program
// started in the same second, and a folder lock that let a second program in (while the first
// runs, whatever stands at the lock file's place; the next one is let in once it ends).
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

struct LockRow {
    const char* name;
    const char* make;     // what stands at the lock file's place
    bool first_takes;     // the first program takes the lock
    const char* refusal;  // the second program's message begins with this
};

TEST(FolderLock, ASecondProgramIsRefusedWhateverTheLockFileIs) {
    const LockRow rows[] = {
        {"no lock file yet", "", true, "Another Lumetra 2.0 is running in "},
        {"a directory", "dir", true, "Another Lumetra 2.0 is running in "},
        {"a read-only file", "ro", true, "Another Lumetra 2.0 is running in "},
        {"a symbolic link to itself", "loop", false, "Cannot take the lock .lumetra2.lock in "},
    };
    for (const LockRow& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const auto lock = dir.path() / app::kLockFileName;
        const std::string make = row.make;
        if (make == "dir") std::filesystem::create_directory(lock);
        if (make == "ro") {
            testing_support::write_file(lock, "");
            std::filesystem::permissions(lock, std::filesystem::perms::owner_read);
        }
        if (make == "loop") std::filesystem::create_symlink(app::kLockFileName, lock);
        std::string message;
        {
            app::DirectoryLock first, second;
            EXPECT_EQ(first.acquire(dir.path(), &message), row.first_takes) << message;
            EXPECT_EQ(first.held(), row.first_takes);
            message.clear();
            EXPECT_FALSE(second.acquire(dir.path(), &message));
            EXPECT_FALSE(second.held());
            EXPECT_EQ(message.rfind(row.refusal + dir.path().string(), 0), 0u) << message;
        }
        // Once the first program has ended, the next one is let in.
        EXPECT_EQ(app::DirectoryLock().acquire(dir.path(), &message), row.first_takes);
    }
    // A folder without room for the lock file has no files to protect: no refusal.
    TempDir dir;
    std::string message;
    app::DirectoryLock nowhere;
    EXPECT_TRUE(nowhere.acquire(dir.path() / "no-such-folder", &message));
    EXPECT_FALSE(nowhere.held());
}

}  // namespace
