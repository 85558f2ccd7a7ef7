// The "Memory Benchmarks" dialog `CMemBenchDlg` over the memory run controller: the detected
// caches, Analyze / Options / OK, and once a run is over the bandwidth, latency and
// per-method bars, the method bars for the region the radio buttons choose.
#pragma once

#include <array>

#include "membench/memory_controller.h"
#include "membench/memory_graph.h"
#include "ui/dialog_window.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace ui {

class BarCanvas;

class CMemBenchDlg : public DialogWindow {
    Q_OBJECT
  public:
    CMemBenchDlg(membench::MemBenchController& controller, QWidget* parent);

    // The last-level cache size the random chase will measure up to four times of, as this
    // machine reports it (the second-level size when it reports none).
    std::size_t random_chase_llc() const;
    // Shows the random chase's rows (a run record's "random_latency" figure; null: none).
    void set_random_latency(const nlohmann::json& rows);
    // The table as shown: the heading, then the rows in two columns.
    static QString random_table(const nlohmann::json& rows);

    QPushButton* analyze_button() const { return analyze_; }
    QPushButton* ok_button() const { return ok_; }
    QRadioButton* region_button(int region) const { return radios_[region]; }
    BarCanvas* area(int area) const { return areas_[area]; }
    int selection() const { return selection_; }
    // The nine cache texts, in the order of the dialog's controls.
    std::array<QLabel*, 9> cache_labels() const { return cache_labels_; }

  public slots:
    void reject() override;

  protected:
    void update_display() override;

  private:
    void select_region(int region);

    membench::MemBenchController& mem_;
    std::array<BarCanvas*, membench::kMemoryAreaCount> areas_{};
    std::array<QRadioButton*, 3> radios_{};
    std::array<QLabel*, 9> cache_labels_{};
    QPushButton* analyze_ = nullptr;
    QPushButton* options_ = nullptr;
    QPushButton* ok_ = nullptr;
    QLabel* random_ = nullptr;
    int selection_ = 0;
    int latency_step_ = membench::kLatencyBarStep;
    int method_step_ = membench::kMethodBarStep;
};

void register_membench_window();

}  // namespace ui
