// The molecular dynamics dialog over a real controller in a working directory of its own with
// the short "Neon-Quick" deck (64 neon atoms, 1000 steps), and a few ways to read its controls.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <memory>
#include <string>

#include "app/console.h"
#include "gui_test_support.h"
#include "md/md_controller.h"
#include "support/temp_dir.h"
#include "ui/md_dialog.h"

namespace ui_test {

using testing_support::ScopedCwd;
using testing_support::TempDir;

class MdDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.path() / "MD");
        std::filesystem::copy_file(testing_support::source_data_dir() / "MD" / "Neon-Quick.in",
                                   dir.path() / "MD" / "Neon-Quick.in");
        app::console().reset();
        shown_boxes().clear();
        controller.use_deck_name = 1;
        controller.deck_name = "Neon-Quick";  // 64 neon atoms, 1000 steps
    }
    void open() {
        w = std::make_unique<ui::MdDialog>(controller, nullptr);
        controller.attach(w.get());
        w->show();
    }
    QString text(int id) const {
        if (auto* b = w->control<QPushButton>(id)) return b->text();
        if (auto* e = w->control<QLineEdit>(id)) return e->text();
        if (auto* l = w->control<QLabel>(id)) return l->text();
        return {};
    }
    bool enabled(int id) const { return w->control<QWidget>(id)->isEnabled(); }
    void click(int id) { w->control<QPushButton>(id)->click(); }
    bool idle() const { return controller.run_state() == md::kStateIdle; }
    void expect_controls(const char* run, const char* cancel, const char* status) {
        QApplication::processEvents();
        EXPECT_EQ(text(1006), QString::fromLatin1(run));
        EXPECT_EQ(text(2), QString::fromLatin1(cancel));
        EXPECT_EQ(text(1009), QString::fromLatin1(status));
    }
    int console_count(const char* line) const {
        const std::string t = app::console().text();
        int n = 0;
        for (size_t at = t.find(line); at != std::string::npos; at = t.find(line, at + 1)) ++n;
        return n;
    }

    TempDir dir;
    ScopedCwd cwd{dir.path()};
    md::MdController controller;
    std::unique_ptr<ui::MdDialog> w;
};

}  // namespace ui_test
