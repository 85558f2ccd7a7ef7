#include "ui/console_view.h"

#include <qdrawutil.h>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include "app/console.h"
#include "ui/fonts.h"

namespace ui {

// The text area: paints from the view's off-screen image.
class ConsoleView::Canvas : public QWidget {
  public:
    explicit Canvas(ConsoleView* view) : QWidget(view), view_(view) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        view_->paint_canvas(p);
    }
    void wheelEvent(QWheelEvent* event) override { view_->wheelEvent(event); }

  private:
    ConsoleView* view_;
};

ConsoleView::ConsoleView(QWidget* parent, const app::Console* console)
    : QFrame(parent), console_(console ? console : &app::console()), font_(ui::console_font()) {
    setObjectName(QStringLiteral("DispControl"));
    setProperty("control_id", kControlId);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);

    canvas_ = new Canvas(this);
    vbar_ = new QScrollBar(Qt::Vertical, this);
    hbar_ = new QScrollBar(Qt::Horizontal, this);
    for (QScrollBar* bar : {vbar_, hbar_}) {
        bar->setRange(0, ScrollAxis::kBoxRange);
        bar->setPageStep(10);
        bar->setFocusPolicy(Qt::NoFocus);
    }
    connect(vbar_, &QScrollBar::actionTriggered, this,
            [this](int action) { on_bar_action(vbar_, vertical_, visible_rows_, action); });
    connect(hbar_, &QScrollBar::actionTriggered, this,
            [this](int action) { on_bar_action(hbar_, horizontal_, visible_columns_, action); });

    const QFontMetrics fm(font_);
    char_width_ = std::max(1, fm.horizontalAdvance(QLatin1Char('A')));
    char_height_ = std::max(1, fm.height());
    runs_on_grid_ = fm.horizontalAdvance(QString(80, QLatin1Char('A'))) == 80 * char_width_;

    blink_.reserve(64);
    connect(&blink_timer_, &QTimer::timeout, this, &ConsoleView::blink);
    blink_timer_.start(kBlinkPeriodMs);

    document_.sync(*console_);
    layout_children();
}

ConsoleView::~ConsoleView() {
    blink_timer_.stop();
}

QRect ConsoleView::text_area() const {
    return canvas_->rect().adjusted(kInset, kInset, -kInset, -kInset);
}

void ConsoleView::layout_children() {
    const QRect r = contentsRect();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int w = std::max(0, r.width() - extent);
    const int h = std::max(0, r.height() - extent);
    canvas_->setGeometry(r.x(), r.y(), w, h);
    vbar_->setGeometry(r.x() + w, r.y(), extent, h);
    hbar_->setGeometry(r.x(), r.y() + h, w, extent);
    update_metrics();
}

void ConsoleView::update_metrics() {
    const QRect area = text_area();
    visible_columns_ = std::max(0, area.width()) / char_width_;
    visible_rows_ = std::max(0, area.height()) / char_height_;
    vertical_.set_maximum(document_.line_count() - visible_rows_);
    horizontal_.set_maximum(document_.longest_line() - visible_columns_);
    update_bars();
    cache_valid_ = false;
}

void ConsoleView::update_bars() {
    const QSignalBlocker bv(vbar_);
    const QSignalBlocker bh(hbar_);
    vbar_->setValue(vertical_.box());
    hbar_->setValue(horizontal_.box());
}

void ConsoleView::index() {
    if (document_.sync(*console_)) {
        update_metrics();
        canvas_->update();
    }
}

void ConsoleView::refresh() {
    index();
    show();
    vertical_.bottom();
    update_bars();
    cache_valid_ = false;
    canvas_->repaint();
}

void ConsoleView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layout_children();
    // A resized view shows the newest lines.
    vertical_.bottom();
    update_bars();
}

void ConsoleView::on_bar_action(QScrollBar* bar, ScrollAxis& axis, int visible, int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            axis.line(1);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            axis.line(-1);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            axis.page(1, visible);
            break;
        case QAbstractSlider::SliderPageStepSub:
            axis.page(-1, visible);
            break;
        case QAbstractSlider::SliderToMinimum:
            axis.top();
            break;
        case QAbstractSlider::SliderToMaximum:
            axis.bottom();
            break;
        case QAbstractSlider::SliderMove:
            axis.thumb(bar->sliderPosition());
            break;
        default:
            return;
    }
    // The slider applies this position once the action's signal returns.
    bar->setSliderPosition(axis.box());
    scrolled();
}

void ConsoleView::scrolled() {
    cache_valid_ = false;
    canvas_->update();
}

void ConsoleView::wheelEvent(QWheelEvent* event) {
    wheel_remainder_ += event->angleDelta().y();
    const int notches = wheel_remainder_ / 120;
    wheel_remainder_ -= notches * 120;
    if (notches != 0) {
        // Rolling away from the user scrolls up.
        vertical_.line(-notches);
        update_bars();
        scrolled();
    }
    event->accept();
}

void ConsoleView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Up:
            vbar_->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case Qt::Key_Down:
            vbar_->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case Qt::Key_PageUp:
            vbar_->triggerAction(QAbstractSlider::SliderPageStepSub);
            break;
        case Qt::Key_PageDown:
            vbar_->triggerAction(QAbstractSlider::SliderPageStepAdd);
            break;
        case Qt::Key_Left:
            hbar_->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case Qt::Key_Right:
            hbar_->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case Qt::Key_Home:
            (ctrl ? vbar_ : hbar_)->triggerAction(QAbstractSlider::SliderToMinimum);
            break;
        case Qt::Key_End:
            (ctrl ? vbar_ : hbar_)->triggerAction(QAbstractSlider::SliderToMaximum);
            break;
        default:
            QFrame::keyPressEvent(event);
            return;
    }
    event->accept();
}

void ConsoleView::render() {
    const qreal dpr = canvas_->devicePixelRatioF();
    const QSize size = canvas_->size().expandedTo(QSize(1, 1));
    if (cache_.size() != size * dpr) {
        cache_ = QPixmap(size * dpr);
        cache_.setDevicePixelRatio(dpr);
    }
    QPainter p(&cache_);
    const QRect client(QPoint(0, 0), size);
    p.fillRect(client, Qt::white);
    qDrawShadePanel(&p, client, palette(), true, 2);

    blink_.clear();
    const QRect area = text_area();
    p.setClipRect(area.adjusted(0, 0, char_width_, 0));
    p.setFont(font_);
    p.setPen(Qt::black);
    const int ascent = QFontMetrics(font_).ascent();
    const int lines = std::min(document_.line_count(), visible_rows_);
    QString run;
    for (int r = 0; r < lines; ++r) {
        const int li = vertical_.position() + r;
        if (li > document_.line_count()) break;
        glyphs_.clear();
        ConsoleDocument::layout_line(document_.line(li), horizontal_.position(), visible_columns_,
                                     glyphs_);
        const int y = area.top() + r * char_height_;
        std::size_t g = 0;
        while (g < glyphs_.size()) {
            const ConsoleGlyph& first = glyphs_[g];
            const int x = area.left() + first.column * char_width_;
            if (first.blink && blink_.size() < kMaxBlinkCells)
                blink_.push_back({x, y, true, first.ch});
            // Consecutive columns are drawn as one string when the font keeps to the grid.
            run.clear();
            run.append(QChar(first.ch));
            std::size_t next = g + 1;
            while (runs_on_grid_ && next < glyphs_.size() && !glyphs_[next].blink && !first.blink &&
                   glyphs_[next].column == first.column + static_cast<int>(next - g)) {
                run.append(QChar(glyphs_[next].ch));
                ++next;
            }
            p.drawText(QPoint(x, y + ascent), run);
            g = next;
        }
    }
    cache_valid_ = true;
}

void ConsoleView::paint_canvas(QPainter& painter) {
    if (!cache_valid_) render();
    painter.drawPixmap(0, 0, cache_);
    for (const BlinkCell& c : blink_)
        // One pixel more on the right: an underscore's smoothed end reaches past its cell,
        // and the cursor is the last character of its line.
        if (!c.shown) painter.fillRect(c.x, c.y, char_width_ + 1, char_height_, Qt::white);
}

void ConsoleView::blink() {
    for (BlinkCell& c : blink_) {
        c.shown = !c.shown;
        canvas_->update(c.x, c.y, char_width_ + 1, char_height_);
    }
}

QImage ConsoleView::snapshot() {
    QImage image(canvas_->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paint_canvas(p);
    return image;
}

}  // namespace ui
