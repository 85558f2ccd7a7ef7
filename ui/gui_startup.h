// The program's start-up with the real window, in the order of the documented sequence: the
// core's steps with the main window created, shown and given its console view and timers in
// between.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

namespace ui {

class CMainFrame;
class GuiMessageSink;

// Once the QApplication exists: the settings key names, the "C" numeric locale (so every
// printf-style figure reads as in the command-line program whatever the user's locale), the
// GUI's message sink and modal runner, and every benchmark's window.
void init_application();
// Registers the window of every controller (generated from the list in ui/CMakeLists.txt).
void register_all_windows();
// Restores the core's default sink and runner (before the QApplication goes away).
void shutdown_application();
GuiMessageSink* gui_message_sink();

// Start-up steps 1 to 13 with `cmdline` (the argument text). Returns the main window, or
// nullptr when its timers could not be created (the window was closed after "Timer Error").
std::unique_ptr<CMainFrame> run_gui_startup(std::string_view cmdline,
                                            const std::filesystem::path& log_dir = ".");

}  // namespace ui
