// Deck reading and the checks that refuse a deck or settings before anything is written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <tuple>
#include <utility>

#include "app/files.h"
#include "md/deck.h"
#include "md_test_support.h"
#include "support/temp_dir.h"

namespace {

using md_test::write_file;
using MdDeck = md_test::InTempDir;

const char* kGoodDeck =
    "Lattice 2\nSiteOne 2\nSiteTwo 0\nSiteThree 3\nSiteFour 4\nCells 3\nKelvin 120.5\n"
    "Step 0.0002\nSteps 1000\n";

TEST_F(MdDeck, ReadsValuesInOrderWhateverTheLabels) {
    write_file(dir_.path() / "MD" / "Mix.in", kGoodDeck);
    const md::DeckReading r = md::read_deck(dir_.path() / "MD" / "Mix.in");
    ASSERT_TRUE(r.ok) << r.problem;
    const md::SimulationSettings& g = r.settings;
    EXPECT_EQ(g.lattice_type, 2);
    EXPECT_EQ(g.species, (std::array<int, 4>{2, 0, 3, 4}));
    EXPECT_EQ(std::make_tuple(g.cells_per_side, g.temperature, g.time_step, g.steps),
              std::make_tuple(3, 120.5, 0.0002, 1000));

    // A simple-cubic deck has one species pair; all on one line reads the same.
    write_file(dir_.path() / "MD" / "Sc.in", "a 0 b 1 c 4 d 10 e 0.001 f 5");
    const md::DeckReading sc = md::read_deck(dir_.path() / "MD" / "Sc.in");
    ASSERT_TRUE(sc.ok) << sc.problem;
    EXPECT_EQ(
        std::make_tuple(sc.settings.species[0], sc.settings.cells_per_side, sc.settings.steps),
        std::make_tuple(1, 4, 5));
}

TEST_F(MdDeck, IsFoundIgnoringCaseAndOnlyInsideTheDeckFolder) {
    write_file(dir_.path() / "MD" / "Helium.in", kGoodDeck);
    write_file(dir_.path() / "secret.in", kGoodDeck);
    const auto found = md::find_deck(dir_.path(), "HELIUM");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->filename(), "Helium.in");
    EXPECT_FALSE(md::find_deck(dir_.path(), "../secret").has_value());
    EXPECT_FALSE(md::find_deck(dir_.path(), "Neon").has_value());
}

TEST_F(MdDeck, RefusesEveryFaultyDeckWithItsProblem) {
    const std::pair<const char*, const char*> cases[] = {
        {"L 2 a 2 b 0 c 2 d 0 n 3 t 140 dt 0.0001", "number of time steps is missing"},
        {"L 2 a 2 b 0", "species of basis site 3 is missing"},
        {"", "lattice type is missing"},
        {"L x", "lattice type \"x\" is not an integer"},
        {"L 0 a 2 n 4.5 t 140 dt 0.0001 s 10", "cells per side \"4.5\" is not an integer"},
        {"L 0 a 2 n 4 t warm dt 0.0001 s 10", "temperature \"warm\" is not a number"},
        {"L 0 a 2 n 4 t 140 dt 1e-4x s 10", "time step \"1e-4x\" is not a number"},
        {"L 3 a 2 n 4 t 140 dt 0.0001 s 10", "lattice type 3 is not 0, 1 or 2"},
        {"L -1 a 2 n 4 t 140 dt 0.0001 s 10", "lattice type -1 is not 0, 1 or 2"},
        {"L 1 a 2 b 5 n 4 t 140 dt 0.0001 s 10", "species code 5 of basis site 2 is not 0 to 4"},
        {"L 0 a -1 n 4 t 140 dt 0.0001 s 10", "species code -1 of basis site 1"},
        {"L 0 a 2 n 0 t 140 dt 0.0001 s 10", "0 cells per side is below 1"},
        {"L 0 a 2 n 4 t 0 dt 0.0001 s 10", "temperature 0 is not a positive number"},
        {"L 0 a 2 n 4 t -3 dt 0.0001 s 10", "temperature -3 is not a positive number"},
        {"L 0 a 2 n 4 t nan dt 0.0001 s 10", "temperature nan is not a positive number"},
        {"L 0 a 2 n 4 t 1e200 dt 0.0001 s 10", "temperature 1e+200 is above 10000 K"},
        {"L 0 a 2 n 4 t 140 dt 1e300 s 10", "time step 1e+300 is above 1"},
        {"L 0 a 2 n 4 t 140 dt inf s 10", "time step inf is not a positive number"},
        {"L 0 a 2 n 4 t 140 dt 0 s 10", "time step 0 is not a positive number"},
        {"L 0 a 2 n 4 t 140 dt 0.0001 s 0", "0 time steps is below 1"},
        {"L 0 a 2 n 99999999999 t 140 dt 0.0001 s 10", "is not an integer"},
        {"L 2 a 2 b 2 c 2 d 2 n 1000 t 140 dt 0.0001 s 10", "too many atoms"},
    };
    for (const auto& [text, problem] : cases) {
        write_file(dir_.path() / "MD" / "Bad.in", text);
        const md::DeckReading r = md::read_deck(dir_.path() / "MD" / "Bad.in");
        EXPECT_FALSE(r.ok) << text;
        EXPECT_NE(r.problem.find(problem), std::string::npos) << text << " -> " << r.problem;
    }
    EXPECT_EQ(md::read_deck(dir_.path() / "MD" / "Missing.in").problem, "cannot be opened");
}

TEST_F(MdDeck, ShippedDecksAreValid) {
    const auto dir = testing_support::source_data_dir();
    const auto decks = app::list_files_nocase(dir / "MD", ".in");
    ASSERT_GE(decks.size(), 4u);
    for (const auto& deck : decks) {
        const md::DeckReading r = md::read_deck(deck);
        EXPECT_TRUE(r.ok) << deck << ": " << r.problem;
        EXPECT_FALSE(md::check_settings(r.settings, 4.0 * 1024 * 1024 * 1024).has_value()) << deck;
    }
}

}  // namespace
