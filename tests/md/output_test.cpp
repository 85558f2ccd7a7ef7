// MD.out blocks and the XMOL snapshots, byte for byte.
#include <gtest/gtest.h>

#include "app/format.h"
#include "md/md_output.h"
#include "md_test_support.h"

namespace {

using MdOutput = md_test::InTempDir;

using md_test::read_file;

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

TEST_F(MdOutput, LogOfASimpleCubicRunIsExact) {
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

TEST_F(MdOutput, XmolSnapshotOf64AtomsHas74Lines) {
    md::mdsimstate s;
    md_test::build(s, md_test::settings(0, {4}, 4));
    // The eight box corners as oxygen markers, then every atom.
    std::string expected = " 72\nXMOL DATA\n";
    for (int c = 0; c < 8; ++c)
        expected +=
            app::strprintf("O %f %f %f\n", double(c >> 2), double(c >> 1 & 1), double(c & 1));
    for (int i = 0; i < 64; ++i)
        expected +=
            app::strprintf("Xe %f %f %f\n", s.positions[i].x, s.positions[i].y, s.positions[i].z);
    EXPECT_EQ(read_file(md::kStartPositionsFile), expected);
}

TEST_F(MdOutput, UnwritableLogIsSkippedAndTheSetUpGoesOn) {
    std::filesystem::create_directory("MD.out");  // cannot be opened as a file
    md::mdsimstate s;
    md_test::build(s, md_test::settings(0, {2}, 3));
    EXPECT_EQ(s.atom_count, 27);
    EXPECT_TRUE(std::filesystem::exists(md::kStartPositionsFile));
}

}  // namespace
