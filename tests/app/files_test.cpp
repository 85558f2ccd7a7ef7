// The shared input reader (only small regular files, never blocking on a pipe or a device),
// the echo of a bad word, and the atomic writer: a failed write keeps the previous file.
#include "app/files.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>

#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

using testing_support::read_file;
using testing_support::write_file;

int entries(const std::filesystem::path& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

TEST(ReadInputFile, OnlySmallRegularFilesAreReadAndNothingBlocks) {
    testing_support::TempDir dir;
    const std::uintmax_t limit = app::kMaxInputFileBytes;
    // What stands at the row's path in the folder: a file of `bytes` ("Z 2\n" when 0), a
    // folder, a named pipe, a link to /dev/zero, nothing; an absolute path is used as it is.
    enum Make { File, Folder, Pipe, DeviceLink, Nothing };
    const struct {
        const char* path;
        Make make;
        std::uintmax_t bytes;
        bool ok;
        const char* message;  // the whole error text, or the text read (none: `bytes` of it)
    } cases[] = {
        {"a.in", File, 0, true, "Z 2\n"},
        {"full.in", File, limit, true, nullptr},
        {"big.in", File, limit + 1, false, "deck too large (1048577 bytes, at most 1048576)"},
        {"none.in", Nothing, 0, false, "cannot be opened"},
        {"dir.in", Folder, 0, false, "is a directory, not a file"},
        {"pipe.in", Pipe, 0, false, "is a named pipe (FIFO), not a file"},
        {"/dev/zero", Nothing, 0, false, "is a device, not a file"},
        {"zero.in", DeviceLink, 0, false, "is a device, not a file"},
    };
    for (const auto& c : cases) {
        const auto path = dir.path() / c.path;
        if (c.make == File) write_file(path, c.bytes ? std::string(c.bytes, 'x') : "Z 2\n");
        if (c.make == Folder) std::filesystem::create_directory(path);
        if (c.make == Pipe) ::mkfifo(path.c_str(), 0600);
        if (c.make == DeviceLink) std::filesystem::create_symlink("/dev/zero", path);
        // On a thread, so that a read that blocks fails the test instead of hanging it.
        auto reading = std::async(std::launch::async, [path] {
            std::string text, error;
            const bool ok = app::read_input_file(path, text, error, "deck");
            return std::make_tuple(ok, text, error);
        });
        ASSERT_EQ(reading.wait_for(5s), std::future_status::ready) << c.path;
        const auto [ok, text, error] = reading.get();
        EXPECT_EQ(ok, c.ok) << c.path << ": " << error;
        if (!c.message) {
            EXPECT_EQ(text.size(), c.bytes) << c.path;
        } else {
            EXPECT_EQ(c.ok ? text : error, c.message) << c.path;
        }
    }
}

TEST(AtomicFile, FailedWriteKeepsThePreviousFileAndNamesTheReason) {
    testing_support::TempDir dir;
    const auto p = dir.path() / "MD.out";
    std::string error;
    ASSERT_TRUE(app::write_file_atomically(p, "old\n", &error)) << error;
    ASSERT_TRUE(app::append_file_atomically(p, "more\n", &error)) << error;
    EXPECT_EQ(read_file(p), "old\nmore\n");

    app::set_write_failure_for_testing(ENOSPC, "MD.out");
    EXPECT_FALSE(app::write_file_atomically(p, "new\n", &error));
    EXPECT_EQ(error, "cannot write " + p.string() + ": " + std::strerror(ENOSPC));
    EXPECT_FALSE(app::append_file_atomically(p, "block\n", &error));
    app::AtomicFile streamed;
    ASSERT_TRUE(streamed.open(p));
    EXPECT_FALSE(streamed.write("piece"));
    EXPECT_FALSE(streamed.write("next"));
    EXPECT_FALSE(streamed.commit());
    EXPECT_NE(streamed.error().find("No space left on device"), std::string::npos);
    // Another file is not affected by the failure aimed at MD.out.
    EXPECT_TRUE(app::write_file_atomically(dir.path() / "other", "x", &error)) << error;
    app::set_write_failure_for_testing(0);

    EXPECT_EQ(read_file(p), "old\nmore\n");
    EXPECT_EQ(entries(dir.path()), 2);  // no temporary file left behind
    // A rename onto a directory fails too, and is reported.
    std::filesystem::create_directory(dir.path() / "taken");
    EXPECT_FALSE(app::write_file_atomically(dir.path() / "taken", "x", &error));
    EXPECT_NE(error.find("taken"), std::string::npos) << error;
    EXPECT_EQ(entries(dir.path()), 3);
}

}  // namespace
