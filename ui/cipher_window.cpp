#include "ui/cipher_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

CCipherDlg::CCipherDlg(cipher::CipherController& controller, QWidget* parent)
    : DialogWindow(controller, parent), run_(controller) {
    auto* main = new QVBoxLayout(this);

    auto* controls = new QGroupBox(QStringLiteral("Simulation Controls"), this);
    auto* cl = new QHBoxLayout(controls);
    auto* form = new QFormLayout;
    list_ = new QComboBox(controls);
    list_->setObjectName(QString::number(cipher::kIdCipherList));
    list_->addItem(QString::fromStdString(run_.cipher_name()));
    form->addRow(QStringLiteral("Cipher:"), list_);
    cl->addLayout(form, 1);
    evaluate_ = new QPushButton(QStringLiteral("Evaluate"), controls);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), controls);
    evaluate_->setDefault(true);
    cancel_->setAutoDefault(false);
    cl->addWidget(evaluate_);
    cl->addWidget(cancel_);
    main->addWidget(controls);

    auto* stats = new QGroupBox(QStringLiteral("Simulation Statistics"), this);
    auto* sf = new QFormLayout(stats);
    time_ = new QLineEdit(stats);
    time_->setObjectName(QString::number(cipher::kIdTime));
    time_->setReadOnly(true);
    time_->setMinimumWidth(QFontMetrics(time_->font()).horizontalAdvance(QStringLiteral("0")) * 24);
    progress_ = new QProgressBar(stats);
    progress_->setObjectName(QString::number(cipher::kIdProgress));
    progress_->setTextVisible(false);
    sf->addRow(QStringLiteral("Time:"), time_);
    sf->addRow(QStringLiteral("Progress:"), progress_);
    main->addWidget(stats);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(evaluate_, &QPushButton::clicked, this, [this] {
        if (ended()) return;
        run_.on_command(cipher::kIdEvaluate);
        if (!ended()) update_display();
    });
    connect(cancel_, &QPushButton::clicked, this, &CCipherDlg::reject);
    update_display();
}

void CCipherDlg::update_display() {
    time_->setText(QString::fromStdString(run_.time_text()));
    progress_->setRange(0, std::max(1, run_.progress_range()));
    progress_->setValue(std::clamp(run_.progress_position(), 0, run_.progress_range()));
}

void register_cipher_window() {
    register_window_for<cipher::CipherController, CCipherDlg>();
}

}  // namespace ui
