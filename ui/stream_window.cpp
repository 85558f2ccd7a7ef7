#include "ui/stream_window.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "stream/stream_graph.h"
#include "ui/gradient_bars.h"

namespace ui {

CStreamDlg::CStreamDlg(stream::StreamController& controller, QWidget* parent)
    : DialogWindow(controller, parent), stream_(controller) {
    using namespace stream;
    const QFontMetrics label_fm(font());
    const QFontMetrics bar_fm(bar_font());
    // The documented row distance, or more when a large font needs it.
    row_step_ = std::max({kStreamRowStep, label_fm.height() + 2, bar_fm.height() + 2});

    auto* main = new QVBoxLayout(this);
    auto* box = new QGroupBox(QStringLiteral("STREAM (tuned)"), this);
    auto* rows = new QHBoxLayout(box);
    auto* labels = new QVBoxLayout;
    labels->setSpacing(0);
    // Each label is centred on its row's bar.
    labels->addSpacing(kStreamFirstRowTop - (row_step_ - kStreamBarHeight) / 2);
    for (const char* text : kStreamRowLabels) {
        auto* l = new QLabel(QString::fromLatin1(text), box);
        l->setFixedHeight(row_step_);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        labels->addWidget(l);
    }
    labels->addStretch(1);
    rows->addLayout(labels);
    area_ = new BarCanvas(box, QPoint(4, 0));
    area_->reserve(kStreamTextClip,
                   kStreamFirstRowTop + (kStreamRows - 1) * row_step_ + kStreamBarHeight + 10,
                   {QStringLiteral("ISA not supported."), QStringLiteral("99999.99 MB/s")});
    rows->addWidget(area_, 1, Qt::AlignTop);
    main->addWidget(box);

    auto* buttons = new QHBoxLayout;
    analyze_ = new QPushButton(QStringLiteral("Analyze"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    analyze_->setDefault(true);
    cancel_->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(analyze_);
    buttons->addWidget(cancel_);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(analyze_, &QPushButton::clicked, this, [this] {
        if (ended()) return;
        stream_.on_command(kAnalyzeCommand);
        if (!ended()) update_display();
    });
    connect(cancel_, &QPushButton::clicked, this, &CStreamDlg::reject);
}

void CStreamDlg::reject() {
    // The coordinator owns the rate table until the progress box ends.
    if (stream_.analysis_active()) return;
    DialogWindow::reject();
}

void CStreamDlg::update_display() {
    area_->set_bars(stream_.results_shown() ? stream::stream_bars(stream_.rates(), row_step_)
                                            : std::vector<app::GradientBar>{});
}

void register_stream_window() {
    register_window_for<stream::StreamController, CStreamDlg>();
}

}  // namespace ui
