// The generic benchmark window: runs any controller until the benchmark's own dialog exists.
// It shows the title, the status text and a progress bar from the run record, the
// benchmark's main button (Run, Analyze, Evaluate) and Cancel.
#pragma once

#include <QTimer>

#include "ui/dialog_window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace ui {

class BenchmarkWindow : public DialogWindow {
    Q_OBJECT
  public:
    BenchmarkWindow(app::RunController& controller, QWidget* parent);

    QPushButton* run_button() const { return run_button_; }
    QPushButton* cancel_button() const { return cancel_button_; }
    QLabel* status_label() const { return status_; }
    QProgressBar* progress_bar() const { return progress_; }

  protected:
    void update_display() override;

  private:
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* run_button_;
    QPushButton* cancel_button_;
    QTimer display_timer_;
};

}  // namespace ui
