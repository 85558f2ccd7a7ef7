// The tool bar's 16 x 16 pictures, drawn by the program (no image files to ship).
#pragma once

#include <QIcon>

namespace ui {

QIcon tool_icon(int command_id);

}  // namespace ui
