// Deck reading and refusal: only the order of the values counts, and every bad deck is refused
// with a reason before anything is built or written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "atom/atomstate.h"
#include "deck_fixtures.h"
#include "support/temp_dir.h"

namespace {

using atom_testing::deck;
using atom_testing::orbital;

struct BadDeck {
    const char* name;
    std::string text;
    std::string reason;  // part of the error text
};

TEST(AtomDeck, BadDecksAreRefusedBeforeAnythingIsWritten) {
    const std::string h = orbital(1, 0, 0, 0);
    std::string many;
    for (int i = 0; i < 100; ++i) many += h;
    const std::string long_word = "4" + std::string(50, 'O') + "\x01";
    const std::vector<BadDeck> cases = {
        {"empty", "", "missing value for nuclear charge"},
        {"short", "Z 1.0 N 250 rinit 0.001", "missing value for r final"},
        {"unparsable", deck(1, 250, "0.001", "4OO", h, 1), "r final \"4OO\" is not a number"},
        {"few points", deck(1, 4, "0.001", "400", h, 1), "grid points 4"},
        {"huge points", deck(1, 5000000, "0.001", "400", h, 1), "grid points 5000000"},
        {"r init zero", deck(1, 250, "0", "400", h, 1), "r init"},
        {"r final below", deck(1, 250, "0.01", "0.001", h, 1), "r final"},
        {"Z zero", deck(0, 250, "0.001", "400", h, 1), "nuclear charge"},
        // Beyond the periodic table the eigenvalue search could never close.
        {"Z 1500", deck(1500, 250, "0.001", "400", h, 1),
         "nuclear charge 1500 is outside 1 to 118"},
        {"Z 1e300", deck(1e300, 250, "0.001", "400", h, 1), "nuclear charge 1e+300 is outside"},
        {"Z 118.5", deck(118.5, 250, "0.001", "400", h, 1), "nuclear charge 118.5 is outside"},
        {"Z below 1", deck(0.5, 250, "0.001", "400", h, 1), "nuclear charge 0.5 is outside"},
        {"occupation overflow",
         deck(2, 250, "0.001", "400",
              orbital(1, 0, 0, 0, 2147483647) + orbital(1, 0, 0, 1, 2147483647), 2),
         "the occupations add up to 4294967294, more than 2147483647"},
        {"long bad word", deck(1, 250, "0.001", long_word.c_str(), h, 1),
         "r final \"4" + std::string(39, 'O') + "...\" is not a number"},
        {"control byte", deck(1, 250, "0.001", "4\x7fO", h, 1),
         "r final \"4\\x7FO\" is not a number"},
        {"no orbitals", deck(1, 250, "0.001", "400", "", 0), "orbital count 0"},
        {"l too big", deck(5, 250, "0.001", "400", orbital(5, 4, 0, 0), 1), "l = 4"},
        {"m too big", deck(2, 250, "0.001", "400", orbital(2, 1, 2, 0), 1), "|m| = 2"},
        {"n not above l", deck(2, 250, "0.001", "400", orbital(1, 1, 0, 0), 1), "n = 1"},
        {"count too big", deck(1, 250, "0.001", "400", h, 2), "orbital count match"},
        {"count too small", deck(2, 250, "0.001", "400", h + h, 1), "orbital count match"},
        {"empty shell", deck(1, 250, "0.001", "400", orbital(1, 0, 0, 0, 0), 1),
         "total occupation 0"},
        {"short loop count", deck(1, 250, "0.001", "400", h, 1, 49), "loop count 49"},
        {"huge loop count", deck(1, 250, "0.001", "400", h, 1, 2000000000), "above 10000"},
        {"too many orbital points", deck(1, 100000, "0.001", "400", many, 100), "too much memory"},
    };
    for (const BadDeck& c : cases) {
        testing_support::TempDir dir;
        testing_support::ScopedCwd cwd(dir.path());
        atom_testing::write_file("bad.in", c.text);
        atom::AtomState st;
        std::string err;
        EXPECT_FALSE(atom::atom_setup(st, "bad.in", {}, 50, err)) << c.name;
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.name << ": " << err;
        EXPECT_FALSE(st.allocated) << c.name;
        EXPECT_TRUE(st.wf.u.empty()) << c.name;
        EXPECT_FALSE(std::filesystem::exists("Orbitra.out")) << c.name;
        EXPECT_FALSE(std::filesystem::exists("radgridpositions")) << c.name;
    }
}

}  // namespace
