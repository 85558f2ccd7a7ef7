#include "atom/deck.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "app/files.h"
#include "app/format.h"

namespace atom {
namespace {

// Walks the deck's white-space separated words: label, value, label, value...
class PairReader {
  public:
    explicit PairReader(std::string_view text) : text_(text) {}

    bool next_word(std::string& word) {
        while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
        if (pos_ >= text_.size()) return false;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !is_space(text_[pos_])) ++pos_;
        word.assign(text_.substr(start, pos_ - start));
        return true;
    }

    // One pair; `what` names the value in error texts.
    bool pair(const char* what, std::string& value, std::string& error) {
        std::string label;
        if (!next_word(label) || !next_word(value)) {
            error = app::strprintf("missing value for %s", what);
            return false;
        }
        if (label.size() > static_cast<std::size_t>(kMaxLabel)) {
            error = app::strprintf("label of %s is longer than %d characters", what, kMaxLabel);
            return false;
        }
        return true;
    }

    bool real(const char* what, double& out, std::string& error) {
        std::string v;
        if (!pair(what, v, error)) return false;
        errno = 0;
        char* end = nullptr;
        const double d = std::strtod(v.c_str(), &end);
        if (end == v.c_str() || *end != '\0' || !std::isfinite(d)) {
            error =
                app::strprintf("%s \"%s\" is not a number", what, app::printable_token(v).c_str());
            return false;
        }
        out = d;
        return true;
    }

    bool integer(const char* what, int& out, std::string& error) {
        std::string v;
        if (!pair(what, v, error)) return false;
        errno = 0;
        char* end = nullptr;
        const long x = std::strtol(v.c_str(), &end, 10);
        if (end == v.c_str() || *end != '\0' || errno == ERANGE || x < INT_MIN || x > INT_MAX) {
            error = app::strprintf("%s \"%s\" is not an integer", what,
                                   app::printable_token(v).c_str());
            return false;
        }
        out = static_cast<int>(x);
        return true;
    }

  private:
    static bool is_space(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool read_grid(PairReader& r, AtomDeck& deck, std::string& error) {
    return r.real("nuclear charge", deck.Z, error) &&
           r.integer("grid points", deck.points, error) && r.real("r init", deck.rinit, error) &&
           r.real("r final", deck.rfinal, error);
}

}  // namespace

bool parse_atom_deck_grid(std::string_view text, AtomDeck& deck, std::string& error) {
    PairReader r(text);
    return read_grid(r, deck, error);
}

bool parse_atom_deck(std::string_view text, AtomDeck& deck, std::string& error) {
    PairReader r(text);
    if (!read_grid(r, deck, error)) return false;
    int count = 0;
    if (!r.integer("orbital count", count, error)) return false;
    if (count < 1 || count > kMaxOrbitals) {
        error = app::strprintf("orbital count %d is outside 1 to %d", count, kMaxOrbitals);
        return false;
    }
    deck.orbitals.assign(static_cast<std::size_t>(count), OrbitalSpec{});
    for (int k = 0; k < count; ++k) {
        OrbitalSpec& o = deck.orbitals[static_cast<std::size_t>(k)];
        const std::string at = app::strprintf(" of orbital %d", k + 1);
        if (!r.integer(("n" + at).c_str(), o.n, error) ||
            !r.integer(("l" + at).c_str(), o.l, error) ||
            !r.integer(("m" + at).c_str(), o.m, error) ||
            !r.integer(("s" + at).c_str(), o.s, error) ||
            !r.integer(("occupation" + at).c_str(), o.occ, error)) {
            error += " (does the orbital count match the orbitals listed?)";
            return false;
        }
    }
    std::string type;
    if (!r.integer("SCF loop count", deck.loops, error) ||
        !r.real("energy tolerance", deck.tolerance, error) ||
        !r.real("ratio of mixing", deck.mixing, error) || !r.pair("type of scf", type, error)) {
        error += " (does the orbital count match the orbitals listed?)";
        return false;
    }
    deck.type = type.substr(0, kMaxType);
    std::string extra;
    if (r.next_word(extra)) {
        error = "values after the type of scf (does the orbital count match the orbitals listed?)";
        return false;
    }
    return true;
}

bool validate_atom_deck(const AtomDeck& d, int iterations, std::string& error) {
    if (!(d.Z > 0.0)) {
        error = app::strprintf("nuclear charge %g is not positive", d.Z);
        return false;
    }
    if (!(d.Z >= kMinCharge && d.Z <= kMaxCharge)) {
        error =
            app::strprintf("nuclear charge %g is outside %g to %g", d.Z, kMinCharge, kMaxCharge);
        return false;
    }
    if (d.points < kMinPoints || d.points > kMaxPoints) {
        error =
            app::strprintf("grid points %d are outside %d to %d", d.points, kMinPoints, kMaxPoints);
        return false;
    }
    if (!(d.rinit > 0.0) || !(d.rfinal > d.rinit)) {
        error =
            app::strprintf("r init %g and r final %g must be positive with r final above r init",
                           d.rinit, d.rfinal);
        return false;
    }
    if (!(d.rinit >= kMinRadius && d.rfinal <= kMaxRadius)) {
        error = app::strprintf("r init %g and r final %g must lie within %g to %g bohr", d.rinit,
                               d.rfinal, kMinRadius, kMaxRadius);
        return false;
    }
    // The grid is scaled for the nucleus; a charge below 1 could fold it over.
    if (!(d.rfinal / std::sqrt(d.Z) > d.rinit / d.Z)) {
        error = app::strprintf("the grid adjusted for Z = %g has r final below r init", d.Z);
        return false;
    }
    for (std::size_t k = 0; k < d.orbitals.size(); ++k) {
        const OrbitalSpec& o = d.orbitals[k];
        const int j = static_cast<int>(k) + 1;
        if (o.l < 0 || o.l > 3) {
            error = app::strprintf("orbital %d has l = %d (0 to 3 are supported)", j, o.l);
            return false;
        }
        if (o.n <= o.l || o.n > 20) {
            error = app::strprintf("orbital %d has n = %d with l = %d", j, o.n, o.l);
            return false;
        }
        if (o.m < -o.l || o.m > o.l) {
            error = app::strprintf("orbital %d has |m| = %d above l = %d", j, std::abs(o.m), o.l);
            return false;
        }
        if (o.occ < 0) {
            error = app::strprintf("orbital %d has a negative occupation", j);
            return false;
        }
    }
    // Every sum of occupations the calculation makes must fit its integer.
    long long electrons = 0;
    for (const OrbitalSpec& o : d.orbitals) electrons += o.occ;
    if (electrons > INT_MAX) {
        error = app::strprintf("the occupations add up to %lld, more than %d", electrons, INT_MAX);
        return false;
    }
    // Shells (runs of equal n and l) are averaged by occupation.
    for (std::size_t a = 0; a < d.orbitals.size();) {
        std::size_t b = a;
        int occ = 0;
        while (b < d.orbitals.size() && d.orbitals[b].n == d.orbitals[a].n &&
               d.orbitals[b].l == d.orbitals[a].l) {
            occ += d.orbitals[b].occ;
            ++b;
        }
        if (occ == 0) {
            error = app::strprintf("the shell of orbital %d has total occupation 0",
                                   static_cast<int>(a) + 1);
            return false;
        }
        a = b;
    }
    if (static_cast<long>(d.orbitals.size()) * d.points > kMaxOrbitalPoints) {
        error = app::strprintf("%d orbitals on %d points need too much memory",
                               static_cast<int>(d.orbitals.size()), d.points);
        return false;
    }
    // The mixed potential is (1 - ratio) of the old one and ratio of the new one.
    if (!(d.mixing >= 0.0 && d.mixing <= 1.0)) {
        error = app::strprintf("ratio of mixing %g is outside 0 to 1", d.mixing);
        return false;
    }
    if (!(d.tolerance >= 0.0)) {
        error = app::strprintf("energy tolerance %g is negative", d.tolerance);
        return false;
    }
    if (d.loops > kMaxLoops) {
        error = app::strprintf("SCF loop count %d is above %d", d.loops, kMaxLoops);
        return false;
    }
    if (d.loops < iterations) {
        error = app::strprintf("SCF loop count %d is below the %d iterations a run may make",
                               d.loops, iterations);
        return false;
    }
    return true;
}

bool read_text_file(const std::filesystem::path& path, std::string& text, std::string& error) {
    return app::read_input_file(path, text, error, "deck");
}

}  // namespace atom
