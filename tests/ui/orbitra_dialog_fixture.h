// The Orbitra dialog over a real controller in a working directory of its own with small
// decks in "Input Files", and a few ways to read and press its controls.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <memory>
#include <string>

#include "app/console.h"
#include "atom/deck_fixtures.h"
#include "atom/orbitra_run.h"
#include "gui_test_support.h"
#include "support/temp_dir.h"
#include "ui/orbitra_dialog.h"

namespace ui_test {

class OrbitraDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app::console().reset();
        shown_boxes().clear();
    }
    // Helium on a 250-point grid: a run of well under a second.
    void write_deck(const std::string& name, const std::string& text) {
        atom_testing::write_file(dir.path() / "Input Files" / name, text);
    }
    void open() {
        w = std::make_unique<ui::OrbitraDialog>(controller, nullptr);
        controller.attach(w.get());
        w->show();
        ASSERT_TRUE(wait_until([&] { return controller.list_filled; }));
        QApplication::processEvents();
    }
    QString text(int id) const {
        if (auto* b = w->control<QPushButton>(id)) return b->text();
        if (auto* e = w->control<QLineEdit>(id)) return e->text();
        if (auto* l = w->control<QLabel>(id)) return l->text();
        if (auto* c = w->control<QComboBox>(id)) return c->currentText();
        return {};
    }
    QStringList items(int id) const {
        QStringList s;
        auto* c = w->control<QComboBox>(id);
        for (int i = 0; i < c->count(); ++i) s << c->itemText(i);
        return s;
    }
    bool enabled(int id) const { return w->control<QWidget>(id)->isEnabled(); }
    void click(int id) { w->control<QPushButton>(id)->click(); }
    // Chooses entry `text` of a list as the user would.
    void choose(int id, const QString& text) {
        auto* c = w->control<QComboBox>(id);
        const int at = c->findText(text);
        ASSERT_GE(at, 0) << text.toStdString();
        c->setCurrentIndex(at);
        emit c->activated(at);
    }
    bool idle() const { return !controller.running; }

    testing_support::TempDir dir;
    testing_support::ScopedCwd cwd{dir.path()};
    atom::OrbitraController controller;
    std::unique_ptr<ui::OrbitraDialog> w;
};

}  // namespace ui_test
