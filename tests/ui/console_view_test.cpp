// The console view as a widget: the last page after a refresh, clamping, and the scroll bars'
// 0..100 mapping.
#include <gtest/gtest.h>

#include <QScrollBar>

#include "app/console.h"
#include "gui_test_support.h"
#include "ui/console_view.h"
#include "ui/fonts.h"

namespace {

using ui::ConsoleView;

std::string numbered_lines(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "line " + std::to_string(i) + "\r\n";
    return s;
}

// A console holding `text` and a refreshed view of it at `size`.
struct Shown {
    Shown(const std::string& text, QSize size, std::size_t capacity = 1 << 20)
        : console(capacity), view(nullptr, &console) {
        console.append(text);
        view.resize(size);
        view.refresh();
    }
    app::Console console;
    ConsoleView view;
};

TEST(ConsoleView, RefreshShowsTheLastPageAndBarsFollowTheMapping) {
    Shown s(numbered_lines(500), QSize(500, 300));
    ConsoleView& view = s.view;
    const int rows = view.visible_rows();
    ASSERT_GT(rows, 0);
    const int vmax = 500 - rows;
    EXPECT_EQ(view.vertical().maximum(), vmax);
    EXPECT_EQ(view.vertical().position(), vmax);
    EXPECT_EQ(view.vertical_bar()->value(), 100);

    QScrollBar* bar = view.vertical_bar();
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(view.vertical().position(), vmax - rows);
    EXPECT_EQ(bar->value(), (vmax - rows) * 100 / vmax);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view.vertical().position(), 1);
    // Dragging the thumb to 50 shows line 50 % of the maximum.
    bar->setSliderPosition(50);
    EXPECT_EQ(view.vertical().position(), 50 * vmax / 100);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.vertical().position(), vmax);
    EXPECT_EQ(bar->value(), 100);

    // New lines: the refresh goes to the new last page.
    s.console.append(numbered_lines(10));
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    view.refresh();
    EXPECT_EQ(view.vertical().position(), 510 - rows);
}

}  // namespace
