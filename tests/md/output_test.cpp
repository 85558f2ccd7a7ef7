// MD.out blocks byte for byte, and a failed block that keeps the blocks before it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "app/files.h"
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

// A whole file that cannot be written is the controller test's (the run fails, the previous
// file stays); here a block of MD.out that fails after others were written.
TEST_F(MdOutput, FailedBlockKeepsTheBlocksBeforeItAndLeavesNoTemporaryFile) {
    // The velocity block: blocks 1 and 2 are written, the third is not appended.
    md::mdsimstate s;
    md::construct_from_settings(s, md_test::settings(0, {2}, 3));
    md::place_atoms(s);
    const std::string two_blocks = read_file(md::kLogFile);
    app::set_write_failure_for_testing(ENOSPC, md::kLogFile);
    md::init_atomvelocities(s);
    app::set_write_failure_for_testing(0);
    EXPECT_EQ(s.output_error, std::string("cannot write MD.out: ") + std::strerror(ENOSPC));
    EXPECT_EQ(read_file(md::kLogFile), two_blocks);
    // No temporary file is left behind.
    for (const auto& e : std::filesystem::directory_iterator("."))
        EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
}

}  // namespace
