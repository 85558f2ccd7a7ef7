// The profile reader on good and hostile files, the profile list, the writer, and the panel's
// figures drawn from them.
#include "suite/profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "suite/score_panel.h"
#include "suite_test_support.h"

namespace {

const char* kGood =
    "Lumetra profile\r\n"
    "free line 2\r\n"
    "free line 3\r\n"
    "free line 4\r\n"
    "   Dual Opteron 275, 2 GB\r\n"
    "2\n2000.0 2200\n"
    "1100.5 1200 0 950.25 800 1300.75 0\n";

TEST(ProfileReader, ReadsTheLayout) {
    const suite::Profile p = suite::parse_profile(kGood);
    EXPECT_TRUE(p.opened);
    EXPECT_EQ(p.description, "Dual Opteron 275, 2 GB");  // leading blanks and CR LF gone
    ASSERT_TRUE(p.processors);
    EXPECT_EQ(*p.processors, 2);
    EXPECT_EQ(p.clock_rates, (std::vector<float>{2000.0f, 2200.0f}));
    ASSERT_TRUE(p.values[suite::kProfileHidden7]);
    EXPECT_FLOAT_EQ(*p.values[suite::kProfileMemory], 1100.5f);
    EXPECT_FLOAT_EQ(*p.values[suite::kProfileMolDyn], 950.25f);
    EXPECT_FLOAT_EQ(*p.values[suite::kProfileBlas], 1300.75f);
    EXPECT_EQ(suite::comparison_platform_text(p), "Comparison Platform: Dual Opteron 275, 2 GB");
    EXPECT_EQ(suite::comparison_cpu_text(p), "2 CPUs at 2000.00 MHz/2200.00 MHz");
}

TEST(ProfileReader, ShortOrEmptyFilesShowWhatWasRead) {
    EXPECT_EQ(suite::parse_profile("").description, "None");
    EXPECT_EQ(suite::parse_profile("a\nb\nc\nd\n").description, "None");
    EXPECT_EQ(suite::parse_profile("a\nb\nc\n").description, "None");

    // Description without a line end, then nothing.
    suite::Profile p = suite::parse_profile("1\n2\n3\n4\nBox");
    EXPECT_EQ(p.description, "Box");
    EXPECT_FALSE(p.processors);
    EXPECT_EQ(suite::comparison_cpu_text(p), "");

    // Missing numbers: what was read stays, the rest is None.
    p = suite::parse_profile("1\n2\n3\n4\nBox\n3 1000 1100\n");
    EXPECT_EQ(*p.processors, 3);
    EXPECT_EQ(p.clock_rates.size(), 2u);
    EXPECT_FALSE(p.values[0]);
    EXPECT_EQ(suite::comparison_cpu_text(p), "3 CPUs at 1000.00 MHz/1100.00 MHz/None");

    p = suite::parse_profile("1\n2\n3\n4\nBox\n1 1000 500 600 x 1 2 3 4\n");
    EXPECT_TRUE(p.values[1]);
    EXPECT_FALSE(p.values[2]);
    EXPECT_EQ(suite::comparison_cpu_text(p), "1 CPU at 1000.00 MHz");
}

TEST(ProfileReader, HostileCountsNeverOverrunTheRateTable) {
    std::string text = "1\n2\n3\n4\nMany\n20\n";
    for (int i = 0; i < 20; ++i) text += std::to_string(1000 + i) + "\n";
    text += "1 2 3 4 5 6 7\n";
    suite::Profile p = suite::parse_profile(text);
    EXPECT_EQ(*p.processors, 20);
    EXPECT_EQ(p.clock_rates.size(), suite::kMaxProfileRates);
    EXPECT_FLOAT_EQ(p.clock_rates.back(), 1015.0f);
    // All twenty rates were consumed, so the values still line up.
    ASSERT_TRUE(p.values[6]);
    EXPECT_FLOAT_EQ(*p.values[0], 1.0f);
    EXPECT_FLOAT_EQ(*p.values[6], 7.0f);
    const std::string cpus = suite::comparison_cpu_text(p);
    EXPECT_EQ(std::count(cpus.begin(), cpus.end(), '/'), 15);

    p = suite::parse_profile("1\n2\n3\n4\nHuge\n99999999999999999999 1 2\n");
    EXPECT_EQ(*p.processors, std::numeric_limits<int>::max());
    EXPECT_EQ(p.clock_rates.size(), 2u);

    p = suite::parse_profile("1\n2\n3\n4\nNegative\n-5 1 2 3 4 5 6 7\n");
    EXPECT_EQ(*p.processors, -5);
    EXPECT_TRUE(p.clock_rates.empty());
    EXPECT_TRUE(p.values[6]);
    EXPECT_EQ(suite::comparison_cpu_text(p), "");
}

TEST(ProfileReader, LongDescriptionIsCutAndTheNumbersStillRead) {
    const std::string longline(150, 'x');
    const suite::Profile p =
        suite::parse_profile("1\n2\n3\n4\n" + longline + "\n1 3000\n1 2 3 4 5 6 7\n");
    EXPECT_EQ(p.description, std::string(99, 'x'));
    EXPECT_EQ(*p.processors, 1);
    EXPECT_TRUE(p.values[6]);
}

TEST(ProfileReader, BinaryJunkAndOddNumbers) {
    std::string junk("1\n2\n3\n4\nab\0cd\n", 15);
    junk += std::string("\xff\xfe\x01\x80", 4);
    suite::Profile p = suite::parse_profile(junk);
    EXPECT_EQ(p.description, "ab");  // text ends at the NUL byte
    EXPECT_FALSE(p.processors);

    p = suite::parse_profile("1\n2\n3\n4\nd\n1 +2.5e3 1e99 -1e99 1e-99 nan inf -0 3 4\n");
    EXPECT_FLOAT_EQ(p.clock_rates[0], 2500.0f);
    EXPECT_TRUE(std::isinf(*p.values[0]) && *p.values[0] > 0);
    EXPECT_TRUE(std::isinf(*p.values[1]) && *p.values[1] < 0);
    EXPECT_EQ(*p.values[2], 0.0f);
    EXPECT_TRUE(std::isnan(*p.values[3]));
    // Any of them paints inside the box.
    for (const auto& v : p.values) {
        const int cols = suite::bar_columns(*v);
        EXPECT_GE(cols, 0);
        EXPECT_LE(cols, suite::kPanelBoxWidth);
    }
    EXPECT_FALSE(suite::parse_profile("1\n2\n3\n4\nd\n+-3\n").processors);
}

class ProfileFiles : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
};

TEST_F(ProfileFiles, ListIsNoneThenRstFilesIgnoringCase) {
    EXPECT_EQ(suite::profile_list("Profiles"), (std::vector<std::string>{"None"}));
    suite_test::write_file("Profiles/zeta.rst", kGood);
    suite_test::write_file("Profiles/Alpha.RST", kGood);
    suite_test::write_file("Profiles/beta.rst.bak", kGood);
    std::filesystem::create_directories("Profiles/dir.rst");
    const auto names = suite::profile_list("Profiles");
    EXPECT_EQ(names, (std::vector<std::string>{"None", "Alpha.RST", "zeta.rst"}));
    EXPECT_EQ(suite::located_profiles_line(2),
              "Located 2 performance comparisons for Lumetra.\x1c_\r\n");

    EXPECT_EQ(suite::read_selected_profile("Profiles", names, 2).description,
              "Dual Opteron 275, 2 GB");
    EXPECT_FALSE(suite::read_selected_profile("Profiles", names, 0).opened);
    EXPECT_FALSE(suite::read_selected_profile("Profiles", names, 7).opened);
    // A file that went away since the list was built paints as "None".
    std::filesystem::remove("Profiles/zeta.rst");
    const suite::Profile gone = suite::read_selected_profile("Profiles", names, 2);
    EXPECT_FALSE(gone.opened);
    EXPECT_EQ(gone.description, "None");
    EXPECT_FALSE(suite::read_profile_file("Profiles/dir.rst").opened);
}

TEST_F(ProfileFiles, WriterRoundTripsThroughTheReader) {
    suite::SubScores s;
    s.memory = 1234.5f;
    s.stream = 999.25f;
    s.md = 1500.0f;
    s.orbitra = 800.75f;
    s.blas = 2000.0f;
    s.cipher = 1100.0f;
    const auto contents = suite::profile_contents(
        "  This box\r\nsecond line" + std::string(200, 'y'), s, {3000.0f, 3100.5f});
    std::string error;
    ASSERT_TRUE(suite::write_profile_file("Profiles/mine.rst", contents, &error)) << error;
    const suite::Profile p = suite::read_profile_file("Profiles/mine.rst");
    EXPECT_EQ(p.description.substr(0, 22), "This box  second liney");
    EXPECT_EQ(p.description.size(), 98u);
    EXPECT_EQ(suite::comparison_cpu_text(p), "2 CPUs at 3000.00 MHz/3100.50 MHz");
    EXPECT_FLOAT_EQ(*suite::row_profile_value(p, suite::PanelRow::Memory), 1234.5f);
    EXPECT_FLOAT_EQ(*suite::row_profile_value(p, suite::PanelRow::Stream), 999.25f);
    EXPECT_FLOAT_EQ(*suite::row_profile_value(p, suite::PanelRow::MolDyn), 1500.0f);
    EXPECT_FLOAT_EQ(*suite::row_profile_value(p, suite::PanelRow::Orbitra), 800.75f);
    EXPECT_FLOAT_EQ(*suite::row_profile_value(p, suite::PanelRow::Blas), 2000.0f);
    EXPECT_FALSE(suite::row_profile_value(p, suite::PanelRow::Cipher));
    EXPECT_EQ(contents.values[suite::kProfileHidden3], 0.0f);  // the cipher score is not stored
    EXPECT_EQ(contents.values[suite::kProfileHidden7], 0.0f);
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

TEST(ScorePanel, BarsFillTheBoxAtFullScale) {
    EXPECT_FALSE(suite::draws_score_bar(suite::kNotMeasured));
    EXPECT_FALSE(suite::draws_score_bar(0.0f));
    EXPECT_TRUE(suite::draws_score_bar(0.01f));
    EXPECT_EQ(suite::bar_columns(0.0f), 1);          // a profile value of 0: one column
    EXPECT_EQ(suite::bar_end_offset(1000.0f), 152);  // 1000 / 3000 * 458, truncated
    EXPECT_EQ(suite::bar_columns(1000.0f), 153);
    EXPECT_EQ(suite::bar_columns(3000.0f), 458);
    EXPECT_EQ(suite::bar_columns(1e30f), 458);
    EXPECT_EQ(suite::bar_columns(-500.0f), 0);
    EXPECT_EQ(suite::bar_columns(std::nanf("")), 0);
    EXPECT_EQ(suite::score_column_colour(0), (suite::Rgb{0, 0, 51}));
    EXPECT_EQ(suite::score_column_colour(204), (suite::Rgb{0, 0, 255}));
    EXPECT_EQ(suite::score_column_colour(457), (suite::Rgb{0, 0, 255}));
    EXPECT_EQ(suite::profile_column_colour(100), (suite::Rgb{151, 0, 0}));
    EXPECT_EQ(suite::marks_text(1234.567f), "1234.57 LumetraMarks");
}

TEST(ScorePanel, RowsMapScoresAndProfileValues) {
    suite::SubScores s;
    s.cipher = 7.0f;
    s.stream = 3.0f;
    EXPECT_EQ(suite::row_score(s, suite::PanelRow::Cipher), 7.0f);
    EXPECT_EQ(suite::row_score(s, suite::PanelRow::Stream), 3.0f);
    EXPECT_EQ(suite::row_score(s, suite::PanelRow::Memory), suite::kNotMeasured);
    const suite::Profile none;
    EXPECT_FALSE(suite::row_profile_value(none, suite::PanelRow::Memory));
    EXPECT_EQ(suite::comparison_platform_text(none), "Comparison Platform: None");
}

}  // namespace
