// MD.out blocks and the XMOL snapshots, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/format.h"
#include "md/md_output.h"
#include "md_test_support.h"
#include "support/temp_dir.h"

namespace {

using md_test::read_file;
using testing_support::ScopedCwd;
using testing_support::TempDir;

const char* kScLog =
    "\n"
    "=====================================================\n"
    "CONSTRUCTING unitcell:\n"
    "mdsimstate / construct_unitcell() \n"
    "*****************************************************\n"
    "    Crystal Structure:\n"
    "    ===========================\n"
    "    unit cell structure: sc \n"
    "    atoms per unit cell: 1\n"
    "      primitive vectors: \n"
    "            r[0] = { 0.000,  0.000,  0.000}\n"
    "=====================================================\n"
    "\n"
    "\n"
    "=====================================================\n"
    "CONSTRUCTING mdsimstate:\n"
    "mdsimstate / construct_mdsimstate() \n"
    "*****************************************************\n"
    "    Simulation Units:\n"
    "    =================\n"
    "    SI unit of energy: 1.670057e-21 joules\n"
    "    SI unit of length: 1.209600e-08 meters\n"
    "    SI unit of   mass: 2.008577e-25 kilograms\n"
    "    SI unit of   time: 1.326540e-10 sec\n"
    "    *************************************************\n"
    "    Simulation Size:\n"
    "    =================\n"
    "    # of unit cells along each side of\n"
    "    simulation cube: 4\n"
    "         # of atoms: 64\n"
    "    timestep of sim: 0.000100\n"
    "     temperature of\n"
    "      md simulation: 140.000000\n"
    "=====================================================\n"
    "\n"
    "\n"
    "=====================================================\n"
    "INITIALIZING PARTICLE VELOCITIES:\n"
    "mdenergy / init_atomvelocities() \n"
    "*****************************************************\n"
    "                 number of atoms: 64\n"
    "        initial KE of simulation: ";

TEST(MdOutput, LogOfASimpleCubicRunIsExact) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    md::mdsimstate s;
    md_test::build(s, md_test::settings(0, {2}, 4, 140, 0.0001, 5000));
    const std::string expected = std::string(kScLog) +
                                 app::strprintf("%f", md::kinetic_energy(s) * s.energy_unit) +
                                 "\n=====================================================\n\n";
    EXPECT_EQ(read_file("MD.out"), expected);
    // A second set-up replaces the log instead of appending to it.
    md::mdsimstate again;
    md_test::build(again, md_test::settings(0, {2}, 4, 140, 0.0001, 5000));
    EXPECT_EQ(read_file("MD.out"), expected);
}

TEST(MdOutput, FaceCentredCellListsItsFourVectors) {
    md::unitcell cell;
    TempDir dir;
    ScopedCwd cwd(dir.path());
    md::construct_unitcell(cell, 2);
    const std::string log = read_file("MD.out");
    EXPECT_NE(log.find("    unit cell structure: fcc\n    atoms per unit cell: 4\n"),
              std::string::npos);
    EXPECT_NE(log.find("            r[0] = { 0.000,  0.000,  0.000}\n"
                       "            r[1] = { 0.000,  0.500,  0.500}\n"
                       "            r[2] = { 0.500,  0.000,  0.500}\n"
                       "            r[3] = { 0.500,  0.500,  0.000}\n"),
              std::string::npos);
}

TEST(MdOutput, XmolSnapshotOf64AtomsHas74Lines) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    md::mdsimstate s;
    md_test::build(s, md_test::settings(0, {4}, 4));
    const std::string text = read_file(md::kStartPositionsFile);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 74);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.rfind(" 72\nXMOL DATA\nO 0.000000 0.000000 0.000000\n"
                         "O 0.000000 0.000000 1.000000\nO 0.000000 1.000000 0.000000\n"
                         "O 0.000000 1.000000 1.000000\nO 1.000000 0.000000 0.000000\n"
                         "O 1.000000 0.000000 1.000000\nO 1.000000 1.000000 0.000000\n"
                         "O 1.000000 1.000000 1.000000\nXe ",
                         0),
              0u);
    char line[128];
    std::snprintf(line, sizeof line, "Xe %f %f %f\n", s.positions[63].x, s.positions[63].y,
                  s.positions[63].z);
    EXPECT_EQ(text.substr(text.size() - std::string(line).size()), line);

    md::write_xmol(s, "copy.xmol");
    EXPECT_EQ(read_file("copy.xmol"), text);
}

TEST(MdOutput, UnwritableLogIsSkippedAndTheSetUpGoesOn) {
    TempDir dir;
    ScopedCwd cwd(dir.path());
    std::filesystem::create_directory("MD.out");  // cannot be opened as a file
    md::mdsimstate s;
    md_test::build(s, md_test::settings(0, {2}, 3));
    EXPECT_EQ(s.atom_count, 27);
    EXPECT_TRUE(std::filesystem::is_directory("MD.out"));
    EXPECT_TRUE(std::filesystem::exists(md::kStartPositionsFile));
}

}  // namespace
