// The profile reader on hostile files, the writer, the shipped reference profile, absent
// figures, and a failed save.
#include "suite/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/files.h"
#include "suite/score_panel.h"
#include "suite_test_support.h"

namespace {

using suite::comparison_cpu_text;
using suite::parse_profile;

// Short, damaged and hostile files: the description, the CPU line and how many values were read.
TEST(ProfileReader, HostileFilesKeepWhatWasReadAndNeverOverrun) {
    std::string many = "1\n2\n3\n4\nMany\n20\n";
    for (int i = 0; i < 20; ++i) many += std::to_string(1000 + i) + "\n";
    many += "1 2 3 4 5 6 7\n";
    const struct {
        std::string text, description, cpus;
        int values;
    } rows[] = {
        {"", "None", "", 0},
        {"a\nb\nc\n", "None", "", 0},
        {"1\n2\n3\n4\nBox", "Box", "", 0},
        {"1\n2\n3\n4\nBox\n3 1000 1100\n", "Box", "3 CPUs at 1000.00 MHz/1100.00 MHz/None", 0},
        {"1\n2\n3\n4\nBox\n1 1000 500 600 x 1 2 3 4\n", "Box", "1 CPU at 1000.00 MHz", 2},
        {"1\n2\n3\n4\nNegative\n-5 1 2 3 4 5 6 7\n", "Negative", "", 7},
        {"1\n2\n3\n4\n" + std::string(150, 'x') + "\n1 3000\n1 2 3 4 5 6 7\n", std::string(99, 'x'),
         "1 CPU at 3000.00 MHz", 7},
        {std::string("1\n2\n3\n4\nab\0cd\n\xff\xfe\x01\x80", 18), "ab", "", 0},  // NUL ends it
        {"1\n2\n3\n4\nd\n+-3\n", "d", "", 0},
        {many, "Many", "", 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const suite::Profile p = parse_profile(row.text);
        EXPECT_EQ(p.description, row.description);
        EXPECT_TRUE(row.description == "Many" || comparison_cpu_text(p) == row.cpus);
        int read = 0;
        while (read < 7 && p.values[read]) ++read;
        EXPECT_EQ(read, row.values);
    }
    // Twenty processors: sixteen rates kept, all twenty consumed so the values still line up.
    const suite::Profile p = parse_profile(many);
    EXPECT_EQ(p.clock_rates.size(), suite::kMaxProfileRates);
    EXPECT_FLOAT_EQ(p.clock_rates.back(), 1015.0f);
    EXPECT_FLOAT_EQ(*p.values[6], 7.0f);
    const std::string cpus = comparison_cpu_text(p);
    EXPECT_EQ(std::count(cpus.begin(), cpus.end(), '/'), 15);
    EXPECT_EQ(*parse_profile("1\n2\n3\n4\nH\n99999999999999999999 1 2\n").processors,
              std::numeric_limits<int>::max());
}

class ProfileFiles : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
};

TEST_F(ProfileFiles, WriterRoundTripsThroughTheReader) {
    suite::SubScores s;
    s.of("memory") = 1234.5f;
    s.of("stream") = 999.25f;
    s.of("md") = 1500.0f;
    s.of("orbitra") = 800.75f;
    s.of("blas") = 2000.0f;
    s.of("cipher") = 1100.0f;
    const auto contents = suite::profile_contents(
        "  This box\r\nsecond line" + std::string(200, 'y'), s, {3000.0f, 3100.5f});
    std::string error;
    ASSERT_TRUE(suite::write_profile_file("Profiles/mine.rst", contents, &error)) << error;
    const suite::Profile p = suite::read_profile_file("Profiles/mine.rst");
    EXPECT_EQ(p.description.substr(0, 22), "This box  second liney");
    EXPECT_EQ(p.description.size(), 98u);
    EXPECT_EQ(comparison_cpu_text(p), "2 CPUs at 3000.00 MHz/3100.50 MHz");
    using R = suite::PanelRow;
    const std::pair<R, float> rows[] = {{R::Memory, 1234.5f},
                                        {R::Stream, 999.25f},
                                        {R::MolDyn, 1500.0f},
                                        {R::Orbitra, 800.75f},
                                        {R::Blas, 2000.0f}};
    for (const auto& [row, value] : rows) EXPECT_FLOAT_EQ(*suite::row_profile_value(p, row), value);
    EXPECT_FALSE(suite::row_profile_value(p, R::Cipher));  // stored, but no bar shows it
    EXPECT_EQ(*p.values[suite::kProfileCipher], 1100.0f);
    EXPECT_EQ(*p.values[suite::kProfileHidden7], 0.0f);
    EXPECT_FALSE(std::filesystem::exists("Profiles/mine.rst.tmp"));
}

TEST_F(ProfileFiles, ShippedReferenceProfileScoresOneThousandEverywhere) {
    const auto path = testing_support::source_data_dir() / "Profiles" / "Reference.rst";
    const suite::Profile p = suite::read_profile_file(path);
    ASSERT_TRUE(p.opened) << path;
    for (auto row : {suite::PanelRow::Memory, suite::PanelRow::Stream, suite::PanelRow::MolDyn,
                     suite::PanelRow::Orbitra, suite::PanelRow::Blas})
        EXPECT_FLOAT_EQ(*suite::row_profile_value(p, row), 1000.0f);
}

TEST_F(ProfileFiles, BenchmarksWithoutAFigureAreStoredAndShownAsAbsent) {
    suite::SubScores s;  // nothing measured but Orbitra and a zero for STREAM
    s.of("orbitra") = 812.5f;
    s.of("stream") = 0.0f;
    s.of("md") = std::numeric_limits<float>::quiet_NaN();
    const auto contents = suite::profile_contents("half a run", s, {2000.0f});
    const std::string text = suite::format_profile(contents);
    // The layout stays: seven numbers, absent ones as -1.00.
    EXPECT_NE(text.find("\n-1.00 -1.00 -1.00 -1.00 812.50 -1.00 0.00\n"), std::string::npos)
        << text;
    const suite::Profile p = parse_profile(text);
    using R = suite::PanelRow;
    for (R row : {R::Memory, R::Stream, R::MolDyn, R::Blas, R::Cipher})
        EXPECT_FALSE(suite::row_profile_value(p, row)) << static_cast<int>(row);
    EXPECT_FLOAT_EQ(*suite::row_profile_value(p, R::Orbitra), 812.5f);
    // A zero read from a file is a figure (one column), a negative one is absent.
    const suite::Profile zero = parse_profile("1\n2\n3\n4\nz\n0\n0 -0.5 0 0 0 0 0\n");
    EXPECT_FLOAT_EQ(*suite::row_profile_value(zero, R::Memory), 0.0f);
    EXPECT_FALSE(suite::row_profile_value(zero, R::Stream));
}

TEST_F(ProfileFiles, FailedSaveKeepsThePreviousProfileAndSaysWhy) {
    suite::ProfileContents contents;
    contents.description = "first";
    std::string error;
    ASSERT_TRUE(suite::write_profile_file("Profiles/mine.rst", contents, &error)) << error;
    contents.description = "second";
    app::set_write_failure_for_testing(ENOSPC, "mine.rst");
    EXPECT_FALSE(suite::write_profile_file("Profiles/mine.rst", contents, &error));
    app::set_write_failure_for_testing(0);
    EXPECT_EQ(error, std::string("cannot write Profiles/mine.rst: ") + std::strerror(ENOSPC));
    EXPECT_EQ(suite::read_profile_file("Profiles/mine.rst").description, "first");
    EXPECT_EQ(suite::profile_list("Profiles"), (std::vector<std::string>{"None", "mine.rst"}));
}

}  // namespace
