#include "report/score_panel_painter.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <optional>

#include "report/bar_painter.h"
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

void draw_bar(QPainter& p, int x0, int top, int bottom, float value, bool profile_bar) {
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
    const int right = x0 + suite::kBarMaxColumns;  // the text stays inside the box too
    if (!painter_clips(p)) {
        draw_split_text(p, text_rect, text, columns > 0 ? x1 + 1 : x0, right);
        return;
    }
    p.save();
    if (columns > 0) {
        p.setClipRect(QRect(x0, top, std::max(0, x1 - x0 + 1), bottom - top + 1));
        p.setPen(Qt::white);
        p.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    p.setClipRect(QRect(std::max(x0, x1 + 1), top, std::max(0, right - std::max(x0, x1 + 1)),
                        bottom - top + 1));
    p.setPen(Qt::black);
    p.drawText(text_rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();
}

}  // namespace

ScorePanelGeometry score_panel_geometry(const std::array<QPoint, suite::kPanelRows>& corners) {
    ScorePanelGeometry g;
    g.corners = corners;
    g.box_height = corners[1].y() - corners[0].y() - suite::kBoxHeightShrink;
    const QPoint last = corners[suite::kPanelRows - 1];  // under the last row
    g.comparison_box = QRect(last.x(), last.y() + g.box_height + suite::kComparisonBoxGap,
                             suite::kPanelBoxWidth, suite::kComparisonBoxHeight);
    return g;
}

QFont score_label_font(QFont f) {
    const int room = suite::kLabelHeight - suite::kLabelTextTop;
    int px = 12;
    f.setPixelSize(px);
    while (px > 8 && QFontMetrics(f).height() > room) f.setPixelSize(--px);
    return f;
}

std::array<std::string, 2> score_comparison_lines(const suite::Profile& profile) {
    const QFontMetrics fm(comparison_font());
    const auto width_of = [&fm](const std::string& t) { return fm.horizontalAdvance(qs(t)); };
    return {suite::elide_right(suite::comparison_platform_text(profile),
                               suite::kComparisonTextWidth, width_of),
            suite::elide_right(suite::comparison_cpu_text(profile), suite::kComparisonTextWidth,
                               width_of)};
}

void paint_score_panel(QPainter& p, const ScorePanelGeometry& g, const QPalette& palette,
                       const suite::SubScores& scores, const suite::Profile& profile, bool labels) {
    p.save();
    const int h = g.box_height;
    const int mark = suite::bar_end_offset(kReferenceScore);
    for (int i = 0; i < suite::kPanelRows; ++i) {
        const QPoint c = g.corners[static_cast<std::size_t>(i)];
        qDrawShadePanel(&p, QRect(c.x(), c.y(), suite::kPanelBoxWidth, h), palette, true, 2);
        // Below the label, behind the bars.
        const int x0 = c.x() + suite::kBarLeft;
        p.setPen(QPen(QColor(140, 140, 140), 1, Qt::DotLine));
        p.drawLine(x0 + mark, c.y() + suite::kScoreBarTop - 3, x0 + mark, c.y() + h - 3);
    }
    const QRect cmp = g.comparison_box;
    qDrawShadePanel(&p, cmp, palette, true, 2);

    if (labels) {
        p.setFont(score_label_font(QFont()));
        p.setPen(palette.color(QPalette::WindowText));
        for (int i = 0; i < suite::kPanelRows; ++i) {
            const app::ScoreGroup& grp = suite::panel_group(static_cast<suite::PanelRow>(i));
            const QPoint c = g.corners[static_cast<std::size_t>(i)];
            p.drawText(
                QRect(c.x() + suite::kLabelTextLeft, c.y() + suite::kLabelTextTop,
                      suite::kLabelWidth - suite::kLabelTextLeft,
                      suite::kLabelHeight - suite::kLabelTextTop),
                Qt::AlignLeft | Qt::AlignTop,
                QString::fromLatin1(grp.label.data(), static_cast<qsizetype>(grp.label.size())));
        }
    }
    p.setFont(comparison_font());
    p.setPen(Qt::black);
    const QPoint text_at(cmp.left() + suite::kComparisonTextLeft,
                         cmp.top() + suite::kComparisonTextTop);
    const QSize line_size(suite::kComparisonTextWidth, suite::kComparisonLineStep);
    const std::array<std::string, 2> lines = score_comparison_lines(profile);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty())
            p.drawText(QRect(text_at + QPoint(0, static_cast<int>(i) * suite::kComparisonLineStep),
                             line_size),
                       Qt::AlignLeft | Qt::AlignTop, qs(lines[i]));

    p.setFont(score_font());
    for (int i = 0; i < suite::kPanelRows; ++i) {
        const auto row = static_cast<suite::PanelRow>(i);
        const QPoint c = g.corners[static_cast<std::size_t>(i)];
        const int x0 = c.x() + suite::kBarLeft;
        const float s = suite::row_score(scores, row);
        if (suite::draws_score_bar(s))
            draw_bar(p, x0, c.y() + suite::kScoreBarTop, c.y() + suite::kScoreBarBottom, s, false);
        if (profile.opened) {
            if (const std::optional<float> v = suite::row_profile_value(profile, row))
                draw_bar(p, x0, c.y() + suite::kProfileBarTop, c.y() + suite::kProfileBarBottom, *v,
                         true);
        }
    }
    p.restore();
}

}  // namespace ui
