// The console view ("DispControl"): a read-only, scrollable display of the console text in a
// fixed-pitch font, painted off-screen from the line index, with the newest cursor blinking.
// Only the visible lines are laid out, so a text of millions of bytes scrolls as fast as a
// short one.
#pragma once

#include <QFrame>
#include <QPixmap>
#include <QRect>
#include <QTimer>
#include <vector>

#include "ui/console_document.h"
#include "ui/console_scroll.h"

class QScrollBar;

namespace app {
class Console;
}

namespace ui {

class ConsoleView : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kControlId = 1001;
    static constexpr int kBlinkTimerId = 2255;
    static constexpr int kBlinkPeriodMs = 300;
    static constexpr int kInset = 5;
    static constexpr std::size_t kMaxBlinkCells = 10000;

    struct BlinkCell {
        int x;
        int y;
        bool shown;
        unsigned char ch;
    };

    // Shows `console` (the program's console by default).
    explicit ConsoleView(QWidget* parent = nullptr, const app::Console* console = nullptr);
    ~ConsoleView() override;

    // Re-reads the console text (only what changed) and redraws.
    void index();
    // The refresh of the main window: index, show the last page, repaint at once.
    void refresh();

    const ConsoleDocument& document() const { return document_; }
    const ScrollAxis& vertical() const { return vertical_; }
    const ScrollAxis& horizontal() const { return horizontal_; }
    int visible_rows() const { return visible_rows_; }
    int visible_columns() const { return visible_columns_; }
    int char_width() const { return char_width_; }
    int char_height() const { return char_height_; }
    const QFont& console_font() const { return font_; }
    QScrollBar* vertical_bar() const { return vbar_; }
    QScrollBar* horizontal_bar() const { return hbar_; }
    QWidget* canvas() const { return canvas_; }
    // Text area in canvas coordinates.
    QRect text_area() const;

    // The cursor cells found by the last paint.
    const std::vector<BlinkCell>& blink_cells() const { return blink_; }
    // One tick of the blink timer: shown cells are hidden and hidden ones shown again.
    void blink();
    bool blinking() const { return blink_timer_.isActive(); }

    // The canvas as the screen shows it (off-screen image plus the blink state).
    QImage snapshot();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    class Canvas;
    friend class Canvas;

    void paint_canvas(QPainter& painter);
    void render();
    void layout_children();
    void update_metrics();
    void update_bars();
    void on_bar_action(QScrollBar* bar, ScrollAxis& axis, int visible, int action);
    void scrolled();

    const app::Console* console_;
    ConsoleDocument document_;
    ScrollAxis vertical_;
    ScrollAxis horizontal_;
    QFont font_;
    int char_width_ = 8;
    int char_height_ = 14;
    int visible_rows_ = 0;
    int visible_columns_ = 0;
    bool runs_on_grid_ = false;  // a run of characters advances exactly n widths
    int wheel_remainder_ = 0;

    QWidget* canvas_ = nullptr;
    QScrollBar* vbar_ = nullptr;
    QScrollBar* hbar_ = nullptr;
    QPixmap cache_;
    bool cache_valid_ = false;
    std::vector<BlinkCell> blink_;
    std::vector<ConsoleGlyph> glyphs_;
    QTimer blink_timer_;
};

}  // namespace ui
