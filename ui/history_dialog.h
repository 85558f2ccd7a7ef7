// "History...": the runs of the results store in a sortable table (as --history lists them,
// possible regressions marked); a double-click opens that run's report in the desktop's
// browser.
#pragma once

#include <QDialog>
#include <filesystem>

class QTableWidget;

namespace ui {

class HistoryDialog : public QDialog {
    Q_OBJECT
  public:
    HistoryDialog(const std::filesystem::path& store_path, QWidget* parent);
    QTableWidget* table() const { return table_; }
    // Writes the report of run `id` beside the other temporary files and opens it; false
    // (with a message box) when it could not be written.
    bool open_report(long long id);

  private:
    std::filesystem::path store_path_;
    QTableWidget* table_;
};

}  // namespace ui
