#include "ui/md_view_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ui {
namespace {

// A window smaller than this shows nothing useful; larger than this no screen shows it.
constexpr int kMinSide = 64;
constexpr int kMaxSide = 8192;

QSpinBox* side_box(int value, int id, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::number(id));
    box->setRange(kMinSide, kMaxSide);
    box->setValue(std::clamp(value, kMinSide, kMaxSide));
    return box;
}

}  // namespace

ViewOptionsDialog::ViewOptionsDialog(const md::ViewSettings& view, QWidget* parent)
    : QDialog(parent), view_(view) {
    setObjectName(QStringLiteral("133"));
    setWindowTitle(QStringLiteral("Simulation View Options"));
    auto* root = new QVBoxLayout(this);

    auto* size_group = new QGroupBox(QStringLiteral("View Window Size"), this);
    auto* size_form = new QFormLayout(size_group);
    width_ = side_box(view.width, 1017, size_group);
    height_ = side_box(view.height, 1018, size_group);
    size_form->addRow(QStringLiteral("Width:"), width_);
    size_form->addRow(QStringLiteral("Height:"), height_);
    root->addWidget(size_group);

    auto* res_group = new QGroupBox(QStringLiteral("Full Screen Resolution"), this);
    auto* res_layout = new QVBoxLayout(res_group);
    resolution_ = new QComboBox(res_group);
    resolution_->setObjectName(QStringLiteral("1020"));
    for (const char* choice : md::kResolutionChoices)
        resolution_->addItem(QString::fromLatin1(choice));
    resolution_->setCurrentIndex(resolution_->findText(QStringLiteral("%1x%2x%3")
                                                           .arg(view.full_width)
                                                           .arg(view.full_height)
                                                           .arg(view.full_depth)));
    res_layout->addWidget(resolution_);
    root->addWidget(res_group);

    pitch_yaw_ = new QCheckBox(QStringLiteral("Show Pitch/Yaw"), this);
    pitch_yaw_->setObjectName(QStringLiteral("1015"));
    pitch_yaw_->setChecked(view.show_pitch_yaw);
    guide_cube_ = new QCheckBox(QStringLiteral("Show Guide Cube"), this);
    guide_cube_->setObjectName(QStringLiteral("1016"));
    guide_cube_->setChecked(view.show_guide_cube);
    root->addWidget(pitch_yaw_);
    root->addWidget(guide_cube_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    root->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

md::ViewSettings ViewOptionsDialog::settings() const {
    md::ViewSettings v = view_;
    v.width = width_->value();
    v.height = height_->value();
    md::apply_resolution(v, resolution_->currentText().toStdString());
    v.show_pitch_yaw = pitch_yaw_->isChecked();
    v.show_guide_cube = guide_cube_->isChecked();
    return v;
}

}  // namespace ui
