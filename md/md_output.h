// The text files of a molecular dynamics run: the three blocks of MD.out and the XMOL
// snapshots. Lines end in LF. A file that cannot be opened is skipped; the run goes on.
#pragma once

#include <string>

#include "md/mdsimstate.h"

namespace md {

inline constexpr const char* kLogFile = "MD.out";
inline constexpr const char* kStartPositionsFile = "AtomStartPositions.xmol";
inline constexpr const char* kMovieFile = "MDmovie.xmol";
inline constexpr const char* kSimXmolFile = "MDSim.xmol";
inline constexpr const char* kSimScaFile = "MDSim.sca";

// Block 1 (creates MD.out anew), block 2 and block 3 (appended).
void write_unitcell_block(const unitcell& cell);
void write_mdsimstate_block(const mdsimstate& s);
void write_velocity_block(int32_t atom_count, double initial_kinetic_kelvin);

// The texts of the blocks, as written.
std::string unitcell_block_text(const unitcell& cell);
std::string mdsimstate_block_text(const mdsimstate& s);
std::string velocity_block_text(int32_t atom_count, double initial_kinetic_kelvin);

// An XMOL snapshot of the positions (box units) with the eight box corners; replaces `file`.
void write_xmol(const mdsimstate& s, const std::string& file);
std::string xmol_text(const mdsimstate& s);

}  // namespace md
