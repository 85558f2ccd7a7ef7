// The console text and its log file: cursor markers, the exact bytes of the file, a file that
// cannot be opened or written, and many threads logging at once.
#include "app/console.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
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

TEST(Console, AFullDiskIsAWriteFailure) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    testing_support::RecordingSink sink;
    app::Console c;
    c.create_log_file("/dev/full");
    c.log("line\r\n");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0], "File error: Warning: unable to write console file.");
}

}  // namespace
