// Working-directory set-up and a minimal host for the suite tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/dialog_host.h"
#include "app/headless_host.h"
#include "support/temp_dir.h"

namespace suite_test {

inline void write_file(const std::filesystem::path& path, const std::string& text) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The two reference decks the suite looks for (their content does not matter here).
inline void make_reference_decks() {
    write_file("MD/Argon-Helium.in", "deck\n");
    write_file("Input Files/Ag.in", "deck\n");
}

// A host for driving a controller by hand (a manual run): nested runs go to a headless runner.
class ManualHost : public app::DialogHost {
  public:
    app::HeadlessRunner runner;
    int ended = 0;

    bool start_timer(int, int) override { return true; }
    void kill_timer(int) override {}
    void message_box(std::string_view, std::string_view) override {}
    bool ask_yes_no(std::string_view, std::string_view) override { return true; }
    void end_dialog(int result) override { ended = result; }
    void request_repaint() override {}
    int run_modal_box(const app::ModalBoxText&) override { return 0; }
    void end_modal_box(int) override {}
    app::ModalRunner& modal_runner() override { return runner; }
};

}  // namespace suite_test
