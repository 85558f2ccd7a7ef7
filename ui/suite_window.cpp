#include "ui/suite_window.h"

namespace ui {

void register_suite_window() {}

}  // namespace ui
