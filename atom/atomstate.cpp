#include "atom/atomstate.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/files.h"

namespace atom {
namespace {

constexpr const char* kLogFile = "Orbitra.out";
constexpr const char* kGridFile = "radgridpositions";

// A file's text built in memory with the stdio calls that format it, so that the file can be
// written whole at the end of the setup: a failed write then leaves the previous file intact.
class TextBuffer {
  public:
    TextBuffer() : f_(open_memstream(&data_, &size_)) {}
    ~TextBuffer() {
        if (f_) std::fclose(f_);
        std::free(data_);
    }
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    std::FILE* file() const { return f_; }
    // Writes the text so far atomically to `path`; false (and `error`) on any failure.
    bool write_to(const char* path, std::string& error) {
        if (!f_ || std::fflush(f_) != 0) {
            error = std::string("cannot build the text of ") + path;
            return false;
        }
        std::string problem;
        if (!app::write_file_atomically(path, std::string_view(data_, size_), &problem,
                                        app::Sync::ToSystem)) {
            error = problem;
            return false;
        }
        return true;
    }

  private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* f_ = nullptr;
};

// The setup's two files while they are built.
struct SetupOutput {
    TextBuffer log;   // Orbitra.out
    TextBuffer grid;  // radgridpositions
};

// One framed block of "Orbitra.out": the grid block starts the file, every later one follows.
void write_block(SetupOutput& out, const std::function<void(std::FILE*)>& title_and_lines) {
    std::FILE* f = out.log.file();
    if (!f) return;
    std::fputs(" \n", f);
    std::fputs("=====================================================\n", f);
    title_and_lines(f);
    std::fputs("=====================================================\n", f);
    std::fputs(" \n", f);
}

void grid_lines(std::FILE* f, int points, double rinit, double rfinal, double dlog) {
    std::fprintf(f, "       points: %d \n", points);
    std::fprintf(f, "    initial r: %f \n", rinit);
    std::fprintf(f, "      final r: %f \n", rfinal);
    std::fprintf(f, "      dlog(r): %f \n", dlog);
}

constexpr const char* kStars = "*****************************************************\n";

void construct_radgrid(AtomState& st, const AtomDeck& d, SetupOutput& out) {
    st.points = d.points;
    st.rinit = d.rinit;
    st.rfinal = d.rfinal;
    st.dlog = std::log(st.rfinal / st.rinit) / st.points;
    write_block(out, [&](std::FILE* f) {
        std::fputs("CONSTRUCTING RADIAL GRID: \n", f);
        std::fputs("radgrid / construct_radgrid \n", f);
        std::fputs(kStars, f);
        grid_lines(f, st.points, st.rinit, st.rfinal, st.dlog);
    });
}

void adjustforatom_radgrid(AtomState& st, SetupOutput& out) {
    st.rinit = st.rinit / st.Z;
    st.rfinal = st.rfinal / std::sqrt(st.Z);
    st.dlog = std::log(st.rfinal / st.rinit) / st.points;
    write_block(out, [&](std::FILE* f) {
        std::fprintf(f, "ADJUSTING RADIAL GRID FOR ATOM OF NUCLEAR CHARGE %f\n", st.Z);
        std::fputs("radgrid / adjustforatom_radgrid \n", f);
        std::fputs(kStars, f);
        grid_lines(f, st.points, st.rinit, st.rfinal, st.dlog);
    });
}

void grid_points(AtomState& st, SetupOutput& out) {
    radgrid header;
    header.points = st.points;
    header.rinit = st.rinit;
    header.rfinal = st.rfinal;
    header.dlog = st.dlog;
    st.r.shape_like(header);
    st.dr.shape_like(header);
    const double q = std::exp(std::log(st.rfinal / st.rinit) / st.points);
    double* r = st.r.data();
    double* dr = st.dr.data();
    double x = st.rinit;
    for (int i = 0; i < st.points; ++i) {
        x = x * q;
        r[i] = x;
        dr[i] = r[i] * (1.0 - 1.0 / q);
    }
    std::FILE* f = out.grid.file();
    if (!f) return;
    for (int i = 0; i < st.points; ++i) std::fprintf(f, "%f10    %f10 \n", r[i], dr[i]);
}

void construct_wavefunct(AtomState& st, const AtomDeck& d, SetupOutput& out) {
    wavefunct& wf = st.wf;
    wf.K = static_cast<int>(d.orbitals.size());
    const auto K = static_cast<std::size_t>(wf.K);
    wf.n.assign(K, 0);
    wf.l.assign(K, 0);
    wf.m.assign(K, 0);
    wf.s.assign(K, 0);
    wf.occ.assign(K, 0);
    wf.u.assign(K, radgrid{});
    for (std::size_t k = 0; k < K; ++k) {
        wf.n[k] = d.orbitals[k].n;
        wf.l[k] = d.orbitals[k].l;
        wf.m[k] = d.orbitals[k].m;
        wf.s[k] = d.orbitals[k].s;
        wf.occ[k] = d.orbitals[k].occ;
        wf.u[k].shape_like(st.r);
    }
    write_block(out, [&](std::FILE* f) {
        std::fputs("CONSTRUCTING WAVEFUNCTION: \n", f);
        std::fputs("wavefunct / construct_wavefunct \n", f);
        std::fputs(kStars, f);
        std::fprintf(f, "   # orbitals: %2d \n", wf.K);
        for (int j = 1; j <= wf.K; ++j) {
            const std::size_t k = static_cast<std::size_t>(j - 1);
            std::fputs("     ************************************************\n", f);
            std::fprintf(f, "        n[%2d]: %d \n", j, wf.n[k]);
            std::fprintf(f, "        l[%2d]: %d \n", j, wf.l[k]);
            std::fprintf(f, "        m[%2d]: %d \n", j, wf.m[k]);
            std::fprintf(f, "        s[%2d]: %d \n", j, wf.s[k]);
            std::fprintf(f, "      occ[%2d]: %d \n", j, wf.occ[k]);
        }
    });
}

void construct_potential(potential& p, int K, const radgrid& grid, SetupOutput& out) {
    p.K = K;
    p.v.assign(static_cast<std::size_t>(K), radgrid{});
    for (radgrid& g : p.v) g.shape_like(grid);
    write_block(out, [&](std::FILE* f) {
        std::fputs("CONSTRUCTING POTENTIAL: \n", f);
        std::fputs("potential / construct_potential \n", f);
        std::fputs(kStars, f);
        std::fprintf(f, "   # orbitals: %2d \n", K);
    });
}

void construct_scf(scf& s, int K, const AtomDeck& d, SetupOutput& out) {
    s.loops = d.loops;
    s.tolerance = d.tolerance;
    s.mixing = d.mixing;
    s.type = d.type;
    const auto L = static_cast<std::size_t>(s.loops);
    for (std::vector<double>* row : {&s.total, &s.kinetic, &s.nuclear, &s.hartree, &s.exchange})
        row->assign(L, 0.0);
    for (std::vector<double>* row : {&s.orbital_kinetic, &s.orbital_potential, &s.eigenvalue})
        row->assign(L * static_cast<std::size_t>(K), 0.0);
    write_block(out, [&](std::FILE* f) {
        std::fputs("CONSTRUCTING SELF-CONSISTENT FIELD (SCF): \n", f);
        std::fputs("scf / construct_scf \n", f);
        std::fputs(kStars, f);
        std::fprintf(f, "    # of scf loops: %d \n", s.loops);
        std::fprintf(f, "  energy tolerance: %f \n", s.tolerance);
        std::fprintf(f, "   ratio of mixing: %f \n", s.mixing);
        std::fprintf(f, "       type of scf: %s \n", s.type.c_str());
    });
}

}  // namespace

bool atom_setup(AtomState& st, const std::filesystem::path& path, const GridOverride& grid,
                int iterations, std::string& error) {
    atom_teardown(st);
    st.output_error.clear();
    std::string text;
    AtomDeck deck;
    if (!read_text_file(path, text, error)) return false;
    if (!parse_atom_deck(text, deck, error)) return false;
    return atom_setup_from_deck(st, std::move(deck), grid, iterations, error);
}

bool atom_setup_from_deck(AtomState& st, AtomDeck deck, const GridOverride& grid, int iterations,
                          std::string& error) {
    atom_teardown(st);
    st.outcome = IterationOutcome::Done;
    st.failed_orbital = -1;
    st.output_error.clear();
    if (grid.active) {
        deck.points = grid.points;
        deck.rinit = grid.rinit;
        deck.rfinal = grid.rfinal;
    }
    if (!validate_atom_deck(deck, iterations, error)) return false;

    st.allocated = true;
    st.progress.hartree_in_progress.store(0);
    st.progress.exchange_in_progress.store(0);
    st.converged = 0;
    st.Z = deck.Z;
    SetupOutput out;
    construct_radgrid(st, deck, out);
    adjustforatom_radgrid(st, out);
    grid_points(st, out);
    construct_wavefunct(st, deck, out);
    const int K = st.wf.K;
    for (potential* p : {&st.vtot, &st.wx, &st.vnuc, &st.vh, &st.vx})
        construct_potential(*p, K, st.r, out);
    construct_scf(st.scf, K, deck, out);
    // The log first: a grid listing is never newer than the log that describes it.
    if (!out.log.write_to(kLogFile, st.output_error) ||
        !out.grid.write_to(kGridFile, st.output_error)) {
        error = st.output_error;
        atom_teardown(st);
        return false;
    }

    st.solver_ws = std::make_unique<SolverWorkspace>();
    st.solver_ws->resize(st.points);
    st.hartree_ws = std::make_unique<InteractionWorkspace>();
    st.hartree_ws->resize(st.points);
    st.exchange_ws = std::make_unique<InteractionWorkspace>();
    st.exchange_ws->resize(st.points);

    // Starting potentials: the bare nucleus; V_H and V_X start at zero.
    const double* r = st.r.data();
    for (int k = 0; k < K; ++k) {
        double* vn = st.vnuc.v[static_cast<std::size_t>(k)].data();
        for (int i = 0; i < st.points; ++i) vn[i] = -st.Z / r[i];
        st.vtot.v[static_cast<std::size_t>(k)].values =
            st.vnuc.v[static_cast<std::size_t>(k)].values;
    }
    return true;
}

void atom_teardown(AtomState& st) {
    if (!st.allocated) return;
    st.r = radgrid{};
    st.dr = radgrid{};
    st.wf = wavefunct{};
    for (potential* p : {&st.vtot, &st.wx, &st.vnuc, &st.vh, &st.vx}) *p = potential{};
    st.scf = scf{};
    st.solver_ws.reset();
    st.hartree_ws.reset();
    st.exchange_ws.reset();
    st.allocated = false;
}

}  // namespace atom
