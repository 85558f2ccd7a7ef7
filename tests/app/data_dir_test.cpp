// The working directory of an installed program: the current one when it holds data, else the
// per-user one seeded from the installed data without overwriting the user's own files.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/data_dir.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using testing_support::read_file;
using testing_support::write_file;

class DataDir : public ::testing::Test {
  protected:
    testing_support::TempDir tmp;
    fs::path installed = tmp.path() / "share/lumetra2";
    fs::path user = tmp.path() / "home/.local/share/lumetra2";
    fs::path cwd = tmp.path() / "somewhere";
    void SetUp() override {
        write_file(installed / "MD/Argon-Helium.in", "reference deck\n");
        write_file(installed / "Input Files/Ag.in", "silver\n");
        write_file(installed / "Profiles/Reference.txt", "profile\n");
        fs::create_directories(cwd);
    }
};

TEST_F(DataDir, UsersOwnFilesAreKeptAndDataHereStaysHere) {
    write_file(user / "MD/Argon-Helium.in", "edited by the user\n");
    std::string error;
    ASSERT_TRUE(app::seed_directory(installed, user, &error)) << error;
    EXPECT_EQ(read_file(user / "MD/Argon-Helium.in"), "edited by the user\n");
    EXPECT_EQ(read_file(user / "Input Files/Ag.in"), "silver\n");

    write_file(cwd / "MD/Mine.in", "x");
    EXPECT_EQ(app::choose_working_directory(cwd, installed, user, &error), cwd);
    // Nothing installed: the program stays where it was started, as before.
    const fs::path elsewhere = tmp.path() / "empty";
    fs::create_directories(elsewhere);
    EXPECT_EQ(app::choose_working_directory(elsewhere, tmp.path() / "none", user, &error),
              elsewhere);
    // No home to seed into: refused with a reason.
    EXPECT_TRUE(app::choose_working_directory(elsewhere, installed, {}, &error).empty());
    EXPECT_NE(error.find("HOME"), std::string::npos);
}

}  // namespace
