// The console view as a widget: maxima, clamping, the scroll bars' 0..100 mapping, the wheel,
// the blink of the newest cursor, drawing only what lies in the text area, and fonts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

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

void wheel(QWidget* w, int delta) {
    QWheelEvent e(QPointF(10, 10), w->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
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

// Whether any dark pixel lies in a rectangle of the rendered view.
bool has_ink(const QImage& image, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.valid(x, y) && qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

TEST(ConsoleView, ShortTextHasNothingToScroll) {
    Shown s("short\r\ntext\r\n", QSize(600, 400));
    EXPECT_GT(s.view.visible_rows(), 2);
    EXPECT_EQ(s.view.vertical().maximum(), 0);
    EXPECT_EQ(s.view.horizontal().maximum(), 0);
}

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

TEST(ConsoleView, WheelScrollsOneLinePerNotchAwayFromTheUserIsUp) {
    Shown s(numbered_lines(200), QSize(400, 300));
    ConsoleView& view = s.view;
    const int bottom = view.vertical().position();
    // Lines above the bottom after each turn; small steps (a touchpad) add up to a notch.
    const std::pair<int, int> turns[] = {{240, 2}, {-120, 1}, {-120 * 50, 0}, {60, 0}, {60, 1}};
    for (const auto& [delta, above] : turns) {
        wheel(view.canvas(), delta);
        EXPECT_EQ(view.vertical().position(), bottom - above) << delta;
    }
    EXPECT_EQ(view.vertical_bar()->value(), view.vertical().box());
}

TEST(ConsoleView, ScrollsLongLinesByColumnsAndDrawsNothingLeftOfTheTextArea) {
    Shown s(std::string(3000, 'M') + "\r\nshort\r\n", QSize(400, 200));
    ConsoleView& view = s.view;
    const int cols = view.visible_columns();
    EXPECT_EQ(view.horizontal().maximum(), 3000 - cols);
    view.horizontal_bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.horizontal().position(), cols);
    EXPECT_EQ(view.horizontal_bar()->value(), cols * 100 / (3000 - cols));

    // Scrolled by one column: the inset stays blank, the first visible cell is inked.
    view.horizontal_bar()->triggerAction(QAbstractSlider::SliderToMinimum);
    view.horizontal_bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const QImage image = view.snapshot();
    const QRect area = view.text_area();
    EXPECT_FALSE(has_ink(image, QRect(3, area.top(), ConsoleView::kInset - 3, area.height())));
    EXPECT_TRUE(
        has_ink(image, QRect(area.left(), area.top(), view.char_width(), view.char_height())));
    // "short" on the second line shows from its "h".
    const QRect second(area.left(), area.top() + view.char_height(), view.char_width() * 4,
                       view.char_height());
    EXPECT_TRUE(has_ink(image, second));
}

TEST(ConsoleView, OnlyTheNewestCursorBlinksAndItToggles) {
    // Appended apart: the console turns the older mark into a filler.
    Shown s(app::with_cursor("first"), QSize(500, 200));
    s.console.append(app::with_cursor("Ready to execute."));
    s.view.refresh();
    ConsoleView& view = s.view;
    (void)view.snapshot();
    ASSERT_EQ(view.blink_cells().size(), 1u);
    const ConsoleView::BlinkCell cell = view.blink_cells()[0];
    EXPECT_EQ(cell.ch, '_');
    EXPECT_EQ(cell.x, view.text_area().left() + 17 * view.char_width());
    EXPECT_EQ(cell.y, view.text_area().top() + view.char_height());
    const QRect r(cell.x, cell.y, view.char_width(), view.char_height());
    for (bool shown : {true, false, true}) {
        EXPECT_EQ(view.blink_cells()[0].shown, shown);
        EXPECT_EQ(has_ink(view.snapshot(), r), shown);
        view.blink();
    }
}

TEST(ConsoleView, SurvivesTinyAndHugeSizesAndHugeTexts) {
    app::Console console(8'000'000);
    std::string chunk;
    for (int i = 0; i < 20000; ++i) chunk += "0123456789 0123456789 0123456789 0123456789\r\n";
    console.append(chunk);
    console.append(std::string(5000, 'x') + "\r\n");
    ConsoleView view(nullptr, &console);
    for (QSize s : {QSize(1, 1), QSize(0, 0), QSize(4000, 3000), QSize(30, 20)}) {
        view.resize(s);
        view.refresh();
        EXPECT_GE(view.visible_rows(), 0);
        EXPECT_EQ(view.vertical().position(), view.vertical().maximum());
        (void)view.snapshot();
    }
    // More text while scrolled to the top: only the maximum moves.
    view.resize(400, 300);
    view.vertical_bar()->triggerAction(QAbstractSlider::SliderToMinimum);
    console.append(chunk);
    view.index();
    EXPECT_EQ(view.document().line_count(), 40001);
    EXPECT_EQ(view.vertical().position(), 0);
}

TEST(Fonts, AMissingFaceFallsBackToAFixedPitchOne) {
    EXPECT_TRUE(
        ui::is_fixed_pitch(ui::fixed_pitch_font({QStringLiteral("No Such Face Anywhere")}, 9)));
    EXPECT_TRUE(ui::is_fixed_pitch(ui::console_font()));
}

}  // namespace
