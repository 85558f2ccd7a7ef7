// The "STREAM" dialog `CStreamDlg` over the STREAM run controller: Analyze and Cancel, and
// once a run is over one blue bar per kernel and form, scaled to the largest rate.
#pragma once

#include "stream/stream_controller.h"
#include "ui/dialog_window.h"

class QPushButton;

namespace ui {

class BarCanvas;

class CStreamDlg : public DialogWindow {
    Q_OBJECT
  public:
    CStreamDlg(stream::StreamController& controller, QWidget* parent);

    QPushButton* analyze_button() const { return analyze_; }
    QPushButton* cancel_button() const { return cancel_; }
    BarCanvas* bar_area() const { return area_; }
    int row_step() const { return row_step_; }

  public slots:
    void reject() override;

  protected:
    void update_display() override;

  private:
    stream::StreamController& stream_;
    BarCanvas* area_ = nullptr;
    QPushButton* analyze_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int row_step_ = 0;
};

void register_stream_window();

}  // namespace ui
