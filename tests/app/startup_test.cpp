// The start-up sequence: its lines in order and the console log file it creates.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/console.h"
#include "app/processor_info.h"
#include "app/thread.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ScopedCwd;
using testing_support::TempDir;

std::string file_form(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// "Console-" and six plain decimal numbers (month, day, year, hour, minute, second), ".txt".
// Checked by hand: std::regex draws maybe-uninitialized warnings from GCC 12's sanitizer build.
bool is_log_file_name(const std::string& name) {
    const std::string prefix = "Console-", suffix = ".txt";
    if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string body =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const int lo[6] = {1, 1, 2000, 0, 0, 0}, hi[6] = {12, 31, 2999, 23, 59, 59};
    std::size_t pos = 0;
    for (int i = 0; i < 6; ++i) {
        const std::size_t end = i < 5 ? body.find('-', pos) : body.size();
        if (end == std::string::npos || end == pos || end - pos > 4) return false;
        const std::string field = body.substr(pos, end - pos);
        if (field.find_first_not_of("0123456789") != std::string::npos) return false;
        if (field.size() > 1 && field[0] == '0') return false;  // no leading zeros
        const int v = std::stoi(field);
        if (v < lo[i] || v > hi[i]) return false;
        pos = end + 1;
    }
    return true;
}

TEST(StartUp, LinesComeInTheDocumentedOrderAndTheLogHoldsThemAll) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    const app::CommandLine cmd = app::run_startup("-moldyn:argon-helium.in -automate");
    EXPECT_EQ(cmd.queue, (std::vector<int>{2}));
    EXPECT_TRUE(cmd.close_when_finished);
    EXPECT_EQ(cmd.md_deck, "ARGON-HELIUM.IN");

    const std::string text = app::console().text();
    const int n = app::processor_count();
    const std::string detecting =
        n == 1 ? "\r\n\r\nDetecting processor...\r\n"
               : "\r\n\r\nDetecting " + std::to_string(n) + " processors...\r\n";
    std::vector<std::string> in_order = {
        "Lumetra 2.0 64-bit Edition Build 21MAR05\r\nBETA VERSION\r\nAuthors:\r\n   ",
        "\r\nWebmaster and special thanks to:\r\n   ",
        detecting,
        " MHz\r\n",
        "\r\nReady to execute.\x1b\x1b\r\n",
        "\r\nFound command line arguments, parsing...\x1c_\r\n\r\n"};
    std::size_t at = 0;
    for (const std::string& piece : in_order) {
        const std::size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece;
        at = found + piece.size();
    }
    EXPECT_EQ(at, text.size());
    EXPECT_EQ(app::processor_info().processor_count, static_cast<uint32_t>(n));

    // One file, named from the UTC time, holding the start-up text with its cursor and then
    // the logged parse line.
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files.push_back(e.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(is_log_file_name(files[0].filename().string())) << files[0];
    const std::size_t ready = text.find("Ready to execute.");
    const std::string expected =
        file_form(text.substr(0, ready)) + "Ready to execute.\x1c_\r\r\n" +
        file_form("\r\nFound command line arguments, parsing...\x1c_\r\n\r\n");
    EXPECT_EQ(testing_support::read_file(files[0]), expected);
    EXPECT_EQ(app::console().log_path(), std::filesystem::path(".") / files[0].filename());
}

}  // namespace
