#include "ui/score_panel.h"

#include <QLabel>
#include <QPainter>

namespace ui {

ScorePanel::ScorePanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < suite::kPanelRows; ++i) {
        const app::ScoreGroup& g = suite::panel_group(static_cast<suite::PanelRow>(i));
        auto* l = new QLabel(QString::fromLatin1(g.label.data(), g.label.size()), this);
        l->setObjectName(QString::number(g.panel_label_id));
        l->setContentsMargins(suite::kLabelTextLeft, suite::kLabelTextTop, 0, 0);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setFont(score_label_font(l->font()));
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
    return geometry_of_labels().box_height;
}

ScorePanelGeometry ScorePanel::geometry_of_labels() const {
    std::array<QPoint, suite::kPanelRows> corners;
    for (int i = 0; i < suite::kPanelRows; ++i)
        corners[static_cast<std::size_t>(i)] =
            label(static_cast<suite::PanelRow>(i))->geometry().topLeft();
    return score_panel_geometry(corners);
}

QPoint ScorePanel::bar_origin(suite::PanelRow row) const {
    const QPoint corner = label(row)->geometry().topLeft();
    return {corner.x() + suite::kBarLeft, corner.y() + suite::kScoreBarTop};
}

QRect ScorePanel::comparison_box() const {
    return geometry_of_labels().comparison_box;
}

void ScorePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    cache_valid_ = false;
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

    paint_score_panel(p, geometry_of_labels(), palette(), scores_, profile_, false);
    cache_valid_ = true;
}

std::array<std::string, 2> ScorePanel::comparison_lines() const {
    return score_comparison_lines(profile_);
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
