// The text files of a molecular dynamics run: the three blocks of MD.out and the XMOL
// snapshots. Lines end in LF. Every file is written whole under a temporary name and renamed
// into place, so a failed write leaves the previous file as it was; the writers return the
// failure ("cannot write MD.out: No space left on device", empty when all went well) and the
// run that made it fails.
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
std::string write_unitcell_block(const unitcell& cell);
std::string write_mdsimstate_block(const mdsimstate& s);
std::string write_velocity_block(int32_t atom_count, double initial_kinetic_kelvin);

// The texts of the blocks, as written.
std::string unitcell_block_text(const unitcell& cell);
std::string mdsimstate_block_text(const mdsimstate& s);
std::string velocity_block_text(int32_t atom_count, double initial_kinetic_kelvin);

// An XMOL snapshot of the positions (box units) with the eight box corners; replaces `file`.
// Streamed in pieces, so a large simulation never holds the whole text.
std::string write_xmol(const mdsimstate& s, const std::string& file);
std::string xmol_text(const mdsimstate& s);

// An empty file (MDSim.sca, MDSim.xmol) in place of `file`.
std::string write_empty_file(const std::string& file);

}  // namespace md
