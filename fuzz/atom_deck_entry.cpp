// The atom deck reader, its grid-only form and the checks a run makes before building.
#include <string>
#include <string_view>

#include "atom/deck.h"
#include "fuzz_entries.h"

namespace fuzz {

int atom_deck(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    atom::AtomDeck deck;
    std::string error;
    if (atom::parse_atom_deck(text, deck, error)) {
        if (deck.type.size() > static_cast<std::size_t>(atom::kMaxType)) __builtin_trap();
        (void)atom::validate_atom_deck(deck, 50, error);
    }
    atom::AtomDeck grid;
    (void)atom::parse_atom_deck_grid(text, grid, error);
    return 0;
}

}  // namespace fuzz
