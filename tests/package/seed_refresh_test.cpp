// A per-user copy of the installed data after an upgrade: files the user never changed follow
// the installed ones, files the user changed are kept and reported once.
#include <gtest/gtest.h>

#include "app/data_dir.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::write_file;

enum class UserAction { None, Edit, Delete, ForgetManifest };

struct Row {
    const char* name;
    UserAction action;
    const char* upgraded;  // the installed file after the upgrade
    const char* expected;  // the user's copy afterwards
    const char* note;      // a word the notes must hold ("" for none)
};

TEST(SeedRefresh, UpgradeKeepsOnlyWhatTheUserChanged) {
    const Row rows[] = {
        {"untouched, installed changed", UserAction::None, "v2\n", "v2\n", "updated"},
        {"untouched, installed same", UserAction::None, "v1\n", "v1\n", ""},
        {"edited, installed changed", UserAction::Edit, "v2\n", "mine\n", "keeping"},
        {"edited, installed same", UserAction::Edit, "v1\n", "mine\n", ""},
        {"deleted by the user", UserAction::Delete, "v2\n", "v2\n", ""},
        {"seeded before the manifest", UserAction::ForgetManifest, "v2\n", "v1\n", "keeping"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::TempDir tmp;
        const fs::path installed = tmp.path() / "share", user = tmp.path() / "user";
        const fs::path file = "Profiles/Reference.rst";
        write_file(installed / file, "v1\n");
        write_file(installed / "MD/Argon.in", "deck\n");
        std::string error;
        std::vector<std::string> notes;
        ASSERT_TRUE(app::seed_directory(installed, user, &error, &notes)) << error;
        EXPECT_TRUE(notes.empty());
        if (row.action == UserAction::Edit) write_file(user / file, "mine\n");
        if (row.action == UserAction::Delete) fs::remove(user / file);
        if (row.action == UserAction::ForgetManifest) fs::remove(user / app::kSeedManifest);

        fs::remove(installed / file);  // a package upgrade replaces the file
        write_file(installed / file, row.upgraded);
        ASSERT_TRUE(app::seed_directory(installed, user, &error, &notes)) << error;
        EXPECT_EQ(read_file(user / file), row.expected);
        EXPECT_EQ(read_file(user / "MD/Argon.in"), "deck\n");
        const std::string all = notes.empty() ? "" : notes.front();
        EXPECT_EQ(notes.size(), *row.note ? 1u : 0u) << all;
        if (*row.note) {
            EXPECT_NE(all.find(row.note), std::string::npos) << all;
        }

        // The next start has nothing new to say and changes nothing.
        notes.clear();
        ASSERT_TRUE(app::seed_directory(installed, user, &error, &notes)) << error;
        EXPECT_TRUE(notes.empty()) << notes.front();
        EXPECT_EQ(read_file(user / file), row.expected);
    }
}

TEST(SeedRefresh, NoWorkingFolderNamesTheReason) {
    testing_support::TempDir tmp;
    const fs::path installed = tmp.path() / "share/lumetra2";
    write_file(installed / "MD/Argon.in", "deck\n");
    const fs::path empty = tmp.path() / "empty";
    fs::create_directories(empty);
    struct Case {
        fs::path cwd;
        const char* reason;
    } cases[] = {{installed, "is the installed data folder"}, {empty, "no benchmark data in"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cwd.string());
        std::string error, reason;
        EXPECT_TRUE(app::choose_working_directory(c.cwd, installed, {}, &error, &reason).empty());
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(error.find("HOME"), std::string::npos) << error;
        error.clear();
        EXPECT_EQ(
            app::choose_working_directory(c.cwd, installed, tmp.path() / "u", &error, &reason),
            tmp.path() / "u")
            << error;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
}

}  // namespace
