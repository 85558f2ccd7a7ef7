// The console text and its log file: cursor markers, the exact bytes of the file, the start-up
// write, a file that cannot be opened, the capacity, and many threads logging at once.
#include "app/console.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

const std::string kBanner = "Lumetra 2.0 64-bit Edition Build 21MAR05\r\n";

TEST(Console, OnlyTheNewestMarkerStaysInTheTextButTheFileKeepsEveryByte) {
    TempDir dir;
    const auto path = dir.path() / "log.txt";
    app::Console c;
    c.append(kBanner);
    ASSERT_TRUE(c.create_log_file(path));
    c.append("shown only\r\n");  // appended, not logged
    c.log("100% done %s %d\r\nbare LF\nend");
    c.log(app::with_cursor("one"));
    c.log(app::with_cursor("two"));
    EXPECT_EQ(c.text(),
              kBanner + "shown only\r\n100% done %s %d\r\nbare LF\nendone\x1b\x1b\r\ntwo\x1c_\r\n");
    EXPECT_EQ(testing_support::read_file(path),
              "Lumetra 2.0 64-bit Edition Build 21MAR05\r\r\n100% done %s %d\r\r\nbare "
              "LF\r\nendone\x1c_\r\r\ntwo\x1c_\r\r\n");
}

TEST(Console, OnlyTheLastTenBytesAreScannedForAMarker) {
    app::Console c;
    c.append("A\x1c_0123456789\r\n");  // the marker lies 14 bytes back
    c.append("x");
    EXPECT_EQ(c.text(), "A\x1c_0123456789\r\nx");
    c.append("\x1c_\r\n");
    c.append("y");  // the marker of the previous text is within reach now
    EXPECT_EQ(c.text(), "A\x1c_0123456789\r\nx\x1b\x1b\r\ny");
    // A marker in the very last byte never writes past the end of the text.
    app::Console d;
    d.append("ab\x1c");
    d.append("c");
    EXPECT_EQ(d.text(),
              "ab\x1b"
              "c");
}

TEST(Console, StartUpWriteEmptiesAnEarlierFileOfTheSameName) {
    TempDir dir;
    const auto path = dir.path() / app::console_log_file_name(3, 21, 2005, 6, 54, 56);
    EXPECT_EQ(path.filename(), "Console-3-21-2005-6-54-56.txt");
    std::ofstream(path) << "an earlier run's log, longer than the new one\n";
    app::Console c;
    c.append("Ready to execute.\x1c_\r\n");
    ASSERT_TRUE(c.create_log_file(path));
    EXPECT_EQ(testing_support::read_file(path), "Ready to execute.\x1c_\r\r\n");
    EXPECT_EQ(c.log_path(), path);
}

TEST(Console, UnwritableFileRaisesOneBoxThenReportsOnStandardErrorOnly) {
    TempDir dir;
    testing_support::RecordingSink sink;
    app::Console c;
    c.log("early\r\n");
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_FALSE(c.create_log_file(dir.path() / "missing-folder" / "log.txt"));
    c.changed_event().reset();
    testing::internal::CaptureStderr();
    c.log("first\r\n");
    EXPECT_TRUE(c.changed_event().poll());
    c.log("second\r\n");
    c.log("third\r\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(c.text(), "early\r\nfirst\r\nsecond\r\nthird\r\n");
    // One box for the session; an unattended run never waits on a box per line.
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0], "File error: Warning: unable to open console file.");
    // The later failures on standard error, each with the file and the reason.
    const std::string line = "File error: Warning: unable to open console file. (" +
                             (dir.path() / "missing-folder" / "log.txt").string() +
                             ": No such file or directory)\n";
    EXPECT_EQ(err, line + line);
    // A fresh start-up may show the box again.
    c.reset();
    EXPECT_FALSE(c.create_log_file(dir.path() / "missing-folder" / "log.txt"));
    c.log("again\r\n");
    EXPECT_EQ(sink.boxes.size(), 2u);
}

TEST(Console, AFullDiskIsAWriteFailure) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    testing_support::RecordingSink sink;
    app::Console c;
    c.create_log_file("/dev/full");
    c.log("line\r\n");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0], "File error: Warning: unable to write console file.");
}

TEST(Console, TextStopsShortOfCapacityWhileFileAndListenerGetEverything) {
    TempDir dir;
    app::Console c(32);
    std::string streamed, all, file;
    c.set_listener([&](std::string_view t) { streamed += t; });
    ASSERT_TRUE(c.create_log_file(dir.path() / "log.txt"));
    for (int i = 0; i < 20; ++i) {
        c.log("line " + std::to_string(i) + "\r\n");
        all += "line " + std::to_string(i) + "\r\n";
        file += "line " + std::to_string(i) + "\r\r\n";
    }
    EXPECT_EQ(c.size(), 31u);
    EXPECT_EQ(c.text(), all.substr(0, 31));
    EXPECT_EQ(testing_support::read_file(dir.path() / "log.txt"), file);
    EXPECT_EQ(streamed, all);
}

TEST(Console, ConcurrentLoggersKeepEveryLineWholeInTextAndFile) {
    TempDir dir;
    app::Console c;
    ASSERT_TRUE(c.create_log_file(dir.path() / "log.txt"));
    constexpr int kThreads = 4, kLines = 50;
    auto line = [](int t, int i) {
        return "worker " + std::to_string(t) + " line " + std::to_string(i);
    };
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop.load()) c.read([](std::string_view t) { (void)t.size(); });
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) c.log(app::with_cursor(line(t, i)));
        });
    for (auto& w : workers) w.join();
    stop = true;
    reader.join();
    const std::string file = testing_support::read_file(dir.path() / "log.txt"), text = c.text();
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kLines; ++i) {
            EXPECT_NE(file.find(line(t, i) + "\x1c_\r\r\n"), std::string::npos) << line(t, i);
            EXPECT_NE(text.find(line(t, i)), std::string::npos) << line(t, i);
        }
    // Each line in the file is complete: the same number of line ends as lines.
    std::size_t ends = 0;
    for (std::size_t p = 0; (p = file.find("\r\r\n", p)) != std::string::npos; p += 3) ++ends;
    EXPECT_EQ(ends, static_cast<std::size_t>(kThreads * kLines));
}

}  // namespace
