#include "ui/score_panel.h"

#include <qdrawutil.h>
#include <QLabel>
#include <QPainter>

#include "ui/fonts.h"

namespace ui {
namespace {

QColor colour(const suite::Rgb& c) {
    return QColor(c.r, c.g, c.b);
}
QString qs(const std::string& s) {
    return QString::fromUtf8(s.c_str());
}

// The reference machine scores 1000: a thin mark there makes the scale readable at a glance.
constexpr float kReferenceScore = 1000.0f;

// The labels' face at a size whose whole height (descenders included) fits above the bars.
QFont label_font(QFont f) {
    const int room = suite::kLabelHeight - suite::kLabelTextTop;
    int px = 12;
    f.setPixelSize(px);
    while (px > 8 && QFontMetrics(f).height() > room) f.setPixelSize(--px);
    return f;
}

}  // namespace

ScorePanel::ScorePanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < suite::kPanelRows; ++i) {
        const app::ScoreGroup& g = suite::panel_group(static_cast<suite::PanelRow>(i));
        auto* l = new QLabel(QString::fromLatin1(g.label.data(), g.label.size()), this);
        l->setObjectName(QString::number(g.panel_label_id));
        l->setContentsMargins(suite::kLabelTextLeft, suite::kLabelTextTop, 0, 0);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setFont(label_font(l->font()));
        l->setGeometry(kLabelLeft, kLabelTop + i * kLabelStep, suite::kLabelWidth,
                       suite::kLabelHeight);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        labels_[static_cast<std::size_t>(i)] = l;
    }
    const int bottom = comparison_box().bottom() + 4;
    setMinimumSize(kLabelLeft + suite::kPanelBoxWidth + 6, bottom);
}

void ScorePanel::set_state(const suite::SubScores& scores, const suite::Profile& profile) {
    scores_ = scores;
    profile_ = profile;
    cache_valid_ = false;
    // A description cut to fit the box can still be read whole.
    const std::array<std::string, 2> shown = comparison_lines();
    const std::string platform = suite::comparison_platform_text(profile_);
    const std::string cpu = suite::comparison_cpu_text(profile_);
    QString tip;
    if (shown[0] != platform || shown[1] != cpu)
        tip = QString::fromStdString(cpu.empty() ? platform : platform + "\n" + cpu);
    setToolTip(tip);
    update();
}

int ScorePanel::box_height() const {
    const int first = label(suite::PanelRow{0})->geometry().top();
    const int second = label(suite::PanelRow{1})->geometry().top();
    return second - first - suite::kBoxHeightShrink;
}

QPoint ScorePanel::bar_origin(suite::PanelRow row) const {
    const QPoint corner = label(row)->geometry().topLeft();
    return {corner.x() + suite::kBarLeft, corner.y() + suite::kScoreBarTop};
}

QRect ScorePanel::comparison_box() const {
    // Under the last row.
    const QPoint last = label(suite::PanelRow{suite::kPanelRows - 1})->geometry().topLeft();
    return {last.x(), last.y() + box_height() + suite::kComparisonBoxGap, suite::kPanelBoxWidth,
            suite::kComparisonBoxHeight};
}

void ScorePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    cache_valid_ = false;
}

void ScorePanel::draw_bar(QPainter& p, int x0, int top, int bottom, float value, bool profile_bar) {
    const int columns = suite::bar_columns(value);
    for (int k = 0; k < columns; ++k) {
        p.setPen(
            colour(profile_bar ? suite::profile_column_colour(k) : suite::score_column_colour(k)));
        p.drawLine(x0 + k, top, x0 + k, bottom);
    }
    if (suite::bar_clipped(value)) {
        // The bar is cut at full scale: a white chevron at its end says so.
        p.setPen(Qt::white);
        for (const suite::Segment& s : suite::clip_marker(x0, top, bottom))
            p.drawLine(s.x0, s.y0, s.x1, s.y1);
    }
    // The figure reads white over the bar and black beyond it.
    const int x1 = x0 + suite::bar_end_offset(value);
    const QString text = qs(suite::marks_text(value));
    const QRect text_rect(x0, top, suite::kBarMaxColumns, bottom - top + 1);
    p.save();
    if (columns > 0) {
        p.setClipRect(QRect(x0, top, std::max(0, x1 - x0 + 1), bottom - top + 1));
        p.setPen(Qt::white);
        p.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    const int right = x0 + suite::kBarMaxColumns;  // the text stays inside the box too
    p.setClipRect(QRect(std::max(x0, x1 + 1), top, std::max(0, right - std::max(x0, x1 + 1)),
                        bottom - top + 1));
    p.setPen(Qt::black);
    p.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();
}

void ScorePanel::render() {
    const qreal dpr = devicePixelRatioF();
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (cache_.size() != size * dpr) {
        cache_ = QPixmap(size * dpr);
        cache_.setDevicePixelRatio(dpr);
    }
    QPainter p(&cache_);
    p.fillRect(QRect(QPoint(0, 0), size), palette().window());

    const int h = box_height();
    const int mark = suite::bar_end_offset(kReferenceScore);
    for (int i = 0; i < suite::kPanelRows; ++i) {
        const auto row = static_cast<suite::PanelRow>(i);
        const QPoint c = label(row)->geometry().topLeft();
        qDrawShadePanel(&p, QRect(c.x(), c.y(), suite::kPanelBoxWidth, h), palette(), true, 2);
        // Below the label, behind the bars.
        const int x0 = c.x() + suite::kBarLeft;
        p.setPen(QPen(QColor(140, 140, 140), 1, Qt::DotLine));
        p.drawLine(x0 + mark, c.y() + suite::kScoreBarTop - 3, x0 + mark, c.y() + h - 3);
    }
    const QRect cmp = comparison_box();
    qDrawShadePanel(&p, cmp, palette(), true, 2);

    p.setFont(comparison_font());
    p.setPen(Qt::black);
    const QPoint text_at(cmp.left() + suite::kComparisonTextLeft,
                         cmp.top() + suite::kComparisonTextTop);
    const QSize line_size(suite::kComparisonTextWidth, suite::kComparisonLineStep);
    const std::array<std::string, 2> lines = comparison_lines();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty())
            p.drawText(QRect(text_at + QPoint(0, static_cast<int>(i) * suite::kComparisonLineStep),
                             line_size),
                       Qt::AlignLeft | Qt::AlignTop, qs(lines[i]));

    p.setFont(score_font());
    for (int i = 0; i < suite::kPanelRows; ++i) {
        const auto row = static_cast<suite::PanelRow>(i);
        const QPoint c = label(row)->geometry().topLeft();
        const int x0 = c.x() + suite::kBarLeft;
        const float s = suite::row_score(scores_, row);
        if (suite::draws_score_bar(s))
            draw_bar(p, x0, c.y() + suite::kScoreBarTop, c.y() + suite::kScoreBarBottom, s, false);
        if (profile_.opened) {
            if (const std::optional<float> v = suite::row_profile_value(profile_, row))
                draw_bar(p, x0, c.y() + suite::kProfileBarTop, c.y() + suite::kProfileBarBottom, *v,
                         true);
        }
    }
    cache_valid_ = true;
}

std::array<std::string, 2> ScorePanel::comparison_lines() const {
    const QFontMetrics fm(comparison_font());
    const auto width_of = [&fm](const std::string& t) { return fm.horizontalAdvance(qs(t)); };
    return {suite::elide_right(suite::comparison_platform_text(profile_),
                               suite::kComparisonTextWidth, width_of),
            suite::elide_right(suite::comparison_cpu_text(profile_), suite::kComparisonTextWidth,
                               width_of)};
}

void ScorePanel::paintEvent(QPaintEvent*) {
    if (!cache_valid_) render();
    QPainter p(this);
    p.drawPixmap(0, 0, cache_);
}

QImage ScorePanel::snapshot() {
    if (!cache_valid_) render();
    return cache_.toImage();
}

}  // namespace ui
