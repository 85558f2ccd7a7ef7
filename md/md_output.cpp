#include "md/md_output.h"

#include <cmath>
#include <cstdio>

#include "app/files.h"
#include "app/format.h"

namespace md {
namespace {

constexpr const char* kEquals = "=====================================================\n";
constexpr const char* kStars = "*****************************************************\n";

std::string replace_file(const char* name, const std::string& text) {
    std::string error;
    app::write_file_atomically(name, text, &error, app::Sync::ToSystem);
    return error;
}

// The old content and the block, renamed into place together: the bytes an append gives.
std::string append_block(const char* name, const std::string& block) {
    std::string error;
    app::append_file_atomically(name, block, &error, app::Sync::ToSystem);
    return error;
}

// Hands the snapshot text to `put` in pieces of about `chunk` bytes.
template <typename Put>
void xmol_pieces(const mdsimstate& s, std::size_t chunk, Put&& put) {
    std::string t = app::strprintf(" %d\n", s.atom_count + 8);
    t += "XMOL DATA\n";
    // The eight corners outline the periodic box for a viewer.
    for (int c = 0; c < 8; ++c)
        t += app::strprintf("O %f %f %f\n", static_cast<double>((c >> 2) & 1),
                            static_cast<double>((c >> 1) & 1), static_cast<double>(c & 1));
    for (int32_t i = 0; i < s.atom_count; ++i) {
        const int sp = s.species[i];
        if (sp < 0 || sp >= kSpeciesCount) continue;
        const Vec4& p = s.positions[i];
        t += app::strprintf("%s %f %f %f\n", gas_species(sp).xmol_label, p.x, p.y, p.z);
        if (t.size() >= chunk) {
            if (!put(t)) return;
            t.clear();
        }
    }
    put(t);
}

std::string block_head(const char* title, const char* source) {
    std::string t = "\n";
    t += kEquals;
    t += title;
    t += source;
    t += kStars;
    return t;
}

}  // namespace

std::string unitcell_block_text(const unitcell& cell) {
    std::string t = block_head("CONSTRUCTING unitcell:\n", "mdsimstate / construct_unitcell() \n");
    t += "    Crystal Structure:\n";
    t += "    ===========================\n";
    t += app::strprintf("    unit cell structure: %s\n", cell.short_name);
    t += app::strprintf("    atoms per unit cell: %d\n", cell.atoms_per_cell);
    t += "      primitive vectors: \n";
    for (int k = 0; k < cell.atoms_per_cell; ++k)
        t += app::strprintf("            r[%1d] = {%6.3f, %6.3f, %6.3f}\n", k, cell.basis[k][0],
                            cell.basis[k][1], cell.basis[k][2]);
    t += kEquals;
    t += "\n";
    return t;
}

std::string mdsimstate_block_text(const mdsimstate& s) {
    std::string t =
        block_head("CONSTRUCTING mdsimstate:\n", "mdsimstate / construct_mdsimstate() \n");
    t += "    Simulation Units:\n";
    t += "    =================\n";
    t += app::strprintf("    SI unit of energy: %8.6e joules\n", 1.670056766154363e-21);
    t += app::strprintf("    SI unit of length: %8.6e meters\n", 1.2096e-8);
    t += app::strprintf("    SI unit of   mass: %8.6e kilograms\n", 2.008577088e-25);
    t += app::strprintf("    SI unit of   time: %8.6e sec\n",
                        std::sqrt(0.00012026998894325893) * 1.2096e-8);
    t += "    *************************************************\n";
    t += "    Simulation Size:\n";
    t += "    =================\n";
    t += "    # of unit cells along each side of\n";
    t += app::strprintf("    simulation cube: %d\n", s.cells_per_side);
    t += app::strprintf("         # of atoms: %d\n", s.atom_count);
    t += app::strprintf("    timestep of sim: %f\n", s.time_step);
    t += "     temperature of\n";
    t += app::strprintf("      md simulation: %f\n", s.temperature);
    t += kEquals;
    t += "\n";
    return t;
}

std::string velocity_block_text(int32_t atom_count, double initial_kinetic_kelvin) {
    std::string t =
        block_head("INITIALIZING PARTICLE VELOCITIES:\n", "mdenergy / init_atomvelocities() \n");
    t += app::strprintf("                 number of atoms: %d\n", atom_count);
    t += app::strprintf("        initial KE of simulation: %f\n", initial_kinetic_kelvin);
    t += kEquals;
    t += "\n";
    return t;
}

std::string write_unitcell_block(const unitcell& cell) {
    return replace_file(kLogFile, unitcell_block_text(cell));
}

std::string write_mdsimstate_block(const mdsimstate& s) {
    return append_block(kLogFile, mdsimstate_block_text(s));
}

std::string write_velocity_block(int32_t atom_count, double initial_kinetic_kelvin) {
    return append_block(kLogFile, velocity_block_text(atom_count, initial_kinetic_kelvin));
}

std::string xmol_text(const mdsimstate& s) {
    std::string t;
    xmol_pieces(s, std::string::npos, [&](const std::string& piece) {
        t += piece;
        return true;
    });
    return t;
}

std::string write_xmol(const mdsimstate& s, const std::string& file) {
    app::AtomicFile f;
    if (f.open(file, app::Sync::ToSystem)) {
        xmol_pieces(s, 1 << 16, [&](const std::string& piece) { return f.write(piece); });
        f.commit();
    }
    return f.error();
}

std::string write_empty_file(const std::string& file) {
    return replace_file(file.c_str(), {});
}

}  // namespace md
