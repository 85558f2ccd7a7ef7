// The suite's window `CSuiteDlg` over the core's suite controller.
#pragma once

namespace ui {

// Makes the GUI's modal runner show the suite controller in its own window.
void register_suite_window();

}  // namespace ui
