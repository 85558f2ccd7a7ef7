// The "Cipher Bench" dialog over the cipher controller: the "AES" list, Evaluate and Cancel
// (ignored during a run), the running time and the progress bar following the pass index.
#pragma once

#include "cipher/cipher_run.h"
#include "ui/dialog_window.h"

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ui {

class CCipherDlg : public DialogWindow {
    Q_OBJECT
  public:
    CCipherDlg(cipher::CipherController& controller, QWidget* parent);

    QPushButton* evaluate_button() const { return evaluate_; }
    QPushButton* cancel_button() const { return cancel_; }
    QLineEdit* time_field() const { return time_; }
    QProgressBar* progress_bar() const { return progress_; }
    QComboBox* cipher_list() const { return list_; }

  protected:
    void update_display() override;

  private:
    cipher::CipherController& run_;
    QComboBox* list_ = nullptr;
    QPushButton* evaluate_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLineEdit* time_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

void register_cipher_window();

}  // namespace ui
