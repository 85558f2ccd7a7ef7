#include "ui/benchmark_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

namespace ui {
namespace {
// How often the window re-reads the controller's status (its own timers are the
// controller's; this one only redraws).
constexpr int kDisplayPeriodMs = 100;
}  // namespace

BenchmarkWindow::BenchmarkWindow(app::RunController& controller, QWidget* parent)
    : DialogWindow(controller, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QString::fromStdString(controller.title()), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);

    status_ = new QLabel(this);
    status_->setMinimumWidth(360);
    status_->setTextFormat(Qt::PlainText);
    layout->addWidget(status_);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    layout->addWidget(progress_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    run_button_ = new QPushButton(QString::fromStdString(controller.run_command_text()), this);
    run_button_->setVisible(controller.run_command_id() != 0);
    run_button_->setAutoDefault(false);
    cancel_button_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_button_->setAutoDefault(false);
    buttons->addWidget(run_button_);
    buttons->addWidget(cancel_button_);
    layout->addLayout(buttons);

    connect(run_button_, &QPushButton::clicked, this, [this] {
        const int id = this->controller().run_command_id();
        if (id != 0 && !ended()) this->controller().on_command(id);
        if (!ended()) update_display();
    });
    connect(cancel_button_, &QPushButton::clicked, this, &BenchmarkWindow::reject);
    connect(&display_timer_, &QTimer::timeout, this, [this] {
        if (!ended()) update_display();
    });
    display_timer_.start(kDisplayPeriodMs);
    resize(440, sizeHint().height());
}

void BenchmarkWindow::update_display() {
    const app::RunController& c = controller();
    status_->setText(QString::fromStdString(c.status_text()));
    const app::RunProgress p = c.record().progress();
    // The bar counts in int; a long range is scaled down.
    long range = std::max(0L, p.range);
    long pos = std::clamp(p.position, 0L, range);
    while (range > INT_MAX / 2) {
        range /= 2;
        pos /= 2;
    }
    progress_->setRange(0, static_cast<int>(std::max(1L, range)));
    progress_->setValue(static_cast<int>(range > 0 ? pos : 0));
    run_button_->setText(QString::fromStdString(c.run_command_text()));
}

}  // namespace ui
