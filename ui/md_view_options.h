// "Simulation View Options" (dialog 133): the view window's size, the full-screen resolution
// and the pitch/yaw text and guide cube switches of the molecular dynamics view.
#pragma once

#include <QDialog>

#include "md/md_dialog_data.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace ui {

class ViewOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    ViewOptionsDialog(const md::ViewSettings& view, QWidget* parent);

    // The settings as the controls show them (the resolution parsed from its list text).
    md::ViewSettings settings() const;

    QSpinBox* width_box() const { return width_; }
    QSpinBox* height_box() const { return height_; }
    QComboBox* resolution_list() const { return resolution_; }
    QCheckBox* pitch_yaw_box() const { return pitch_yaw_; }
    QCheckBox* guide_cube_box() const { return guide_cube_; }

  private:
    md::ViewSettings view_;
    QSpinBox* width_;
    QSpinBox* height_;
    QComboBox* resolution_;
    QCheckBox* pitch_yaw_;
    QCheckBox* guide_cube_;
};

}  // namespace ui
