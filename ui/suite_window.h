// The suite's window `CSuiteDlg` (dialog 150, "Lumetra 2.0 Benchmark Suite") over the core's
// suite controller: the six selections, "Run Benchmarks", Cancel that becomes "OK", the
// comparison profiles and the score panel, and "Save as Profile..." for comparing with one's
// own earlier runs.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "suite/suite_dialog.h"
#include "ui/dialog_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace ui {

class ScorePanel;

class CSuiteDlg : public DialogWindow {
    Q_OBJECT
  public:
    CSuiteDlg(suite::SuiteController& controller, QWidget* parent);

    suite::SuiteController& suite() { return suite_; }
    QCheckBox* check_box(int id) const;
    QPushButton* run_button() const { return run_; }
    QPushButton* cancel_button() const { return cancel_; }
    QPushButton* save_button() const { return save_; }
    QPushButton* history_button() const { return history_; }
    QPushButton* export_button() const { return export_; }
    // The report of the run shown (its results file) written to `path`; false with a message
    // box when there is none or it could not be written.
    bool export_report(const std::filesystem::path& path);
    QComboBox* profile_list() const { return profiles_; }
    ScorePanel* score_panel() const { return panel_; }
    QGroupBox* group(const QString& title) const;

    // The profile the panel compares with (read from its file on every display update).
    const suite::Profile& shown_profile() const { return profile_; }
    // Writes this machine's sub-scores, processor count and clock rates as a profile; the
    // list then offers it. False before a run has produced a figure, and (with a message box)
    // when it could not be written.
    bool save_profile(const std::filesystem::path& path, const std::string& description);
    // The name as the user typed it in the file dialog: ".rst" added when missing, and an
    // existing file replaced only when the user says yes.
    bool save_profile_as(const std::filesystem::path& typed, const std::string& description);

  protected:
    void update_display() override;

  private:
    void ask_and_save_profile();
    void show_history();
    void profile_chosen(int index);

    suite::SuiteController& suite_;
    std::map<int, QCheckBox*> boxes_;
    QPushButton* run_;
    QPushButton* cancel_;
    QPushButton* save_;
    QPushButton* history_;
    QPushButton* export_;
    QComboBox* profiles_;
    ScorePanel* panel_;
    // The list as shown: the controller's list, plus profiles saved from this window.
    std::vector<std::string> names_;
    int selected_ = 0;
    suite::Profile profile_;
};

// Makes the GUI's modal runner show the suite controller in this window.
void register_suite_window();

}  // namespace ui
