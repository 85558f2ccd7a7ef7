// The matrix multiply dialog ("SGEMM (Single Precision Matrix Multiply)" or "DGEMM (Double
// Precision Matrix Multiply)") over the matrix multiply controller: the method choice,
// Analyze and Cancel, the results box with the efficiency against the ISA peak, the six size
// bars and the MFLOPS graph, all updated while the run goes.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <map>
#include <vector>

#include "blas/matrix_run.h"
#include "report/matrix_graph_painter.h"
#include "ui/dialog_window.h"

class QLabel;
class QPainter;
class QPushButton;
class QRadioButton;

namespace ui {

class BarCanvas;

class MatrixGraphView : public QWidget {
    Q_OBJECT
  public:
    explicit MatrixGraphView(QWidget* parent);
    void set_data(const blas::MatrixTables& t, double isa_peak, bool shown);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    blas::MatrixTables tables_;
    double isa_peak_ = 0.0;
    bool shown_ = false;
};

class CMatrixDlg : public DialogWindow {
    Q_OBJECT
  public:
    CMatrixDlg(blas::MatrixController& controller, QWidget* parent);

    QPushButton* analyze_button() const { return analyze_; }
    QPushButton* cancel_button() const { return cancel_; }
    QRadioButton* method_button(int id) const { return radios_.at(id); }
    BarCanvas* bar_area() const { return bars_; }
    QLabel* compiled_label() const { return compiled_; }
    QLabel* peak_label() const { return peak_; }
    QLabel* efficiency_label() const { return efficiency_; }
    QLabel* status_label() const { return status_; }
    double isa_peak() const { return isa_peak_; }

  protected:
    void update_display() override;

  private:
    blas::MatrixController& run_;
    std::map<int, QRadioButton*> radios_;
    QPushButton* analyze_ = nullptr;
    QPushButton* cancel_ = nullptr;
    BarCanvas* bars_ = nullptr;
    MatrixGraphView* graph_ = nullptr;
    QLabel* header_ = nullptr;
    QLabel* compiled_name_ = nullptr;
    QLabel* compiled_ = nullptr;
    QLabel* peak_ = nullptr;
    QLabel* per_cycle_ = nullptr;
    QLabel* efficiency_ = nullptr;
    QLabel* status_ = nullptr;
    double isa_peak_ = 0.0;
};

void register_matrix_window();

}  // namespace ui
