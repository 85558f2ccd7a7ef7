// The self-consistent field's inputs: grid points, r init, r final, the ratio of mixing and the
// energy tolerance, taken raw from the input for a small atom (H, He or Li). A deck the checks
// accept must give finite energies in every iteration that completes.
#include <cmath>
#include <cstring>
#include <string>

#include "atom/atomstate.h"
#include "fuzz_entries.h"

namespace fuzz {
namespace {

double take_double(const uint8_t*& data, std::size_t& size) {
    double v = 0.0;
    if (size >= sizeof v) {
        std::memcpy(&v, data, sizeof v);
        data += sizeof v;
        size -= sizeof v;
    }
    return v;
}

}  // namespace

int scf_inputs(const uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int z = 1 + data[0] % 3;
    const int points = atom::kMinPoints + (data[1] | (data[2] << 8)) % 300;
    data += 3;
    size -= 3;
    atom::AtomDeck deck;
    deck.Z = z;
    deck.points = points;
    deck.rinit = take_double(data, size);
    deck.rfinal = take_double(data, size);
    deck.mixing = take_double(data, size);
    deck.tolerance = take_double(data, size);
    deck.loops = 50;
    deck.type = "HF";
    deck.orbitals.push_back({1, 0, 0, 0, 1});
    if (z >= 2) deck.orbitals.push_back({1, 0, 0, 1, 1});
    if (z >= 3) deck.orbitals.push_back({2, 0, 0, 0, 1});
    constexpr int kIterations = 2;
    std::string error;
    if (!atom::validate_atom_deck(deck, kIterations, error)) return 0;
    atom::AtomState st;
    st.exchange_on_thread = false;
    if (!atom::atom_setup_from_deck(st, deck, atom::GridOverride{}, kIterations, error)) return 0;
    for (int j = 0; j < kIterations; ++j) {
        if (!atom::scf_iteration(st, j)) break;
        const auto row = static_cast<std::size_t>(j);
        const double figures[] = {st.scf.total[row], st.scf.kinetic[row], st.scf.nuclear[row],
                                  st.scf.hartree[row], st.scf.exchange[row]};
        for (const double f : figures)
            if (!std::isfinite(f)) __builtin_trap();
        if (st.converged) break;
    }
    atom::atom_teardown(st);
    return 0;
}

}  // namespace fuzz
