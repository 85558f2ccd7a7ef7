// The dialog's list texts map to the codes the simulation uses; the resolution choice parses.
#include <gtest/gtest.h>

#include "md/md_controller.h"
#include "md/md_dialog_data.h"
#include "md/mdsimstate.h"

namespace {

TEST(MdDialogData, ListTextsGiveTheirCodes) {
    EXPECT_EQ(md::species_from_name("Helium"), 0);
    EXPECT_EQ(md::species_from_name("Xeon"), 4);  // the dialog's spelling of xenon
    EXPECT_FALSE(md::species_from_name("Xenon").has_value());
    for (int code = 0; code < md::kSpeciesCount; ++code)
        EXPECT_EQ(md::species_from_name(md::gas_species(code).dialog_name), code);
    EXPECT_EQ(md::lattice_from_name("Face Centered Cubic"), 2);
    EXPECT_EQ(md::lattice_from_name("Simple Cubic"), 0);
    EXPECT_FALSE(md::lattice_from_name("Hexagonal").has_value());
}

TEST(MdDialogData, ResolutionChoiceParsesOrFallsBack) {
    md::ViewSettings v;
    md::apply_resolution(v, "1280x1024x16");
    EXPECT_EQ(v.full_width, 1280);
    EXPECT_EQ(v.full_height, 1024);
    EXPECT_EQ(v.full_depth, 16);
    md::apply_resolution(v, "");
    EXPECT_EQ(v.full_width, 640);
    EXPECT_EQ(v.full_height, 480);
    EXPECT_EQ(v.full_depth, 32);
    md::apply_resolution(v, "800x");
    EXPECT_EQ(v.full_width, 640);
}

TEST(MdDialogData, UserSimulationDefaultsAndCubeTypes) {
    md::MdController c;
    c.user.cells_per_side = 9;
    c.choose_user_simulation();
    EXPECT_EQ(c.default_simulation, 0);
    EXPECT_EQ(c.user.lattice_type, 0);
    EXPECT_EQ(c.user.cells_per_side, 4);
    EXPECT_EQ(c.user.steps, 5000);
    EXPECT_EQ(c.user.time_step, 0.0001f);
    EXPECT_EQ(c.user.temperature, 140.0);
    c.user.species = {3, 3, 3, 3};
    c.set_cube_type(2);
    EXPECT_EQ(c.user.species, (std::array<int, 4>{0, 0, 0, 0}));
    // Choosing the mode again keeps what the user has set.
    c.user.cells_per_side = 7;
    c.choose_user_simulation();
    EXPECT_EQ(c.user.cells_per_side, 7);
    c.choose_default_simulation();
    EXPECT_EQ(c.default_simulation, 1);
}

}  // namespace
