// The molecular dynamics dialog over a real controller in a working directory of its own with
// the short "Neon-Quick" deck (64 neon atoms, 1000 steps).
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <filesystem>
#include <memory>

#include "app/console.h"
#include "gui_test_support.h"
#include "md/md_controller.h"
#include "support/temp_dir.h"
#include "ui/md_dialog.h"

namespace ui_test {

class MdDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::write_file(dir.path() / "MD" / "Neon-Quick.in",
                                    testing_support::read_file(testing_support::source_data_dir() /
                                                               "MD" / "Neon-Quick.in"));
        app::console().reset();
        shown_boxes().clear();
        controller.use_deck_name = 1;
        controller.deck_name = "Neon-Quick";
    }
    void open() {
        w = std::make_unique<ui::MdDialog>(controller, nullptr);
        controller.attach(w.get());
        w->show();
    }
    void click(int id) { w->control<QPushButton>(id)->click(); }
    bool idle() const { return controller.run_state() == md::kStateIdle; }

    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
    md::MdController controller;
    std::unique_ptr<ui::MdDialog> w;
};

}  // namespace ui_test
