// A per-user copy of the installed data after an upgrade: files the user never changed follow
// the installed ones, files the user changed are kept and reported once.
#include <gtest/gtest.h>

#include "app/data_dir.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::write_file;

enum class UserAction { None, Edit, ForgetManifest };

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
        {"edited, installed changed", UserAction::Edit, "v2\n", "mine\n", "keeping"},
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
        if (row.action == UserAction::ForgetManifest) fs::remove(user / app::kSeedManifest);

        fs::remove(installed / file);  // a package upgrade replaces the file
        write_file(installed / file, row.upgraded);
        ASSERT_TRUE(app::seed_directory(installed, user, &error, &notes)) << error;
        EXPECT_EQ(read_file(user / file), row.expected);
        EXPECT_EQ(read_file(user / "MD/Argon.in"), "deck\n");
        const std::string all = notes.empty() ? "" : notes.front();
        EXPECT_EQ(notes.size(), *row.note ? 1u : 0u) << all;
        EXPECT_NE(all.find(row.note), std::string::npos) << all;

        // The next start has nothing new to say and changes nothing.
        notes.clear();
        ASSERT_TRUE(app::seed_directory(installed, user, &error, &notes)) << error;
        EXPECT_TRUE(notes.empty()) << notes.front();
    }
}

}  // namespace
