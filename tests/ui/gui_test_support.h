// Shared pieces of the GUI tests: the boxes the program raised (no test ever blocks on a real
// box) and waiting on the event loop for a condition.
#pragma once

#include <gtest/gtest.h>
#include <QColor>
#include <QImage>
#include <QString>
#include <QTest>
#include <functional>
#include <vector>

#include "app/dialog_host.h"
#include "support/wait_until.h"
#include "ui/dialog_window.h"

namespace ui_test {

struct ShownBox {
    QString text;
    QString title;
    bool question;
    bool on_gui_thread;
};

// Every box raised through the GUI's message sink since the last clear.
std::vector<ShownBox>& shown_boxes();

// Runs the event loop until `done` holds; false after `timeout_ms`.
inline bool wait_until(const std::function<bool()>& done, int timeout_ms = 20000) {
    return testing_support::wait_until(done, std::chrono::milliseconds(timeout_ms),
                                       [] { QTest::qWait(1); });
}

// One row of a picture check: the colour expected at a point (relative to an origin).
struct PixelRow {
    int x, y;
    QColor colour;
};

// Checks every row against a rendered window or painter; a failing row names its point.
inline void expect_pixels(const QImage& image, std::initializer_list<PixelRow> rows,
                          QPoint origin = {}) {
    for (const PixelRow& r : rows)
        EXPECT_EQ(QColor(image.pixel(origin.x() + r.x, origin.y() + r.y)), r.colour)
            << "pixel (" << r.x << ", " << r.y << ")";
}

// Installs a runner for one test and puts the GUI's back afterwards.
class RunnerScope {
  public:
    explicit RunnerScope(app::ModalRunner* r) { app::set_modal_runner(r); }
    ~RunnerScope() { ui::install_gui_modal_runner(); }
};

}  // namespace ui_test
