// Working-directory set-up for the suite tests.
#pragma once

#include "support/temp_dir.h"

namespace suite_test {

using testing_support::write_file;

// The two reference decks the suite looks for (their content does not matter here).
inline void make_reference_decks() {
    write_file("MD/Argon-Helium.in", "deck\n");
    write_file("Input Files/Ag.in", "deck\n");
}

}  // namespace suite_test
