// The "Molecular Dynamics Benchmark" dialog (dialog 130) over the molecular dynamics run
// controller: energies and time, the default or a user-specified crystal, Run / single step /
// Cancel / View Replay, the two energy graphs, the rotating picture and the "OpenGL View"
// window. Every control carries its dialog id as its object name.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <optional>

#include "md/md_controller.h"
#include "ui/dialog_window.h"
#include "ui/md_picture.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace ui {

class EnergyGraphs;
class MdViewSink;
class MdViewWindow;

class MdDialog : public DialogWindow {
    Q_OBJECT
  public:
    MdDialog(md::MdController& controller, QWidget* parent);
    ~MdDialog() override;

    md::MdController& md() { return md_; }

    // The control with dialog id `id` (null when there is none of that kind).
    template <typename T>
    T* control(int id) const {
        return findChild<T*>(QString::number(id));
    }
    EnergyGraphs* graphs() const { return graphs_; }
    QLabel* picture() const { return picture_; }
    // The open "OpenGL View" window, if any.
    MdViewWindow* view_window() const;
    // Pictures drawn so far, and how often the picture's timer asks for one.
    int pictures_rendered() const { return pictures_rendered_; }
    int picture_period_ms() const { return picture_timer_.interval(); }
    // Whether the picture and the view window can use OpenGL.
    bool has_gl() const { return has_gl_; }

    // Takes the temperature edit's text; a bad text is refused with a message box and the
    // previous value comes back. False when refused.
    bool commit_temperature();

  protected:
    void update_display() override;

  private:
    void build();
    void refresh(bool force);
    void command(int id);
    void choose_mode(bool user);
    void cube_type_chosen(const QString& text);
    void position_chosen(int position, const QString& text);
    void show_user_settings();
    void open_view_options();
    void advance_picture();

    md::MdController& md_;
    bool has_gl_ = false;
    std::unique_ptr<MdPicture> renderer_;
    std::unique_ptr<MdViewSink> sink_;
    EnergyGraphs* graphs_ = nullptr;
    QLabel* picture_ = nullptr;
    QTimer picture_timer_;  // timer 1010
    QTimer display_timer_;
    QElapsedTimer since_refresh_;
    int shown_state_ = -1;
    int pictures_rendered_ = 0;
    std::optional<PictureScene> shown_scene_;
    bool in_temperature_ = false;
};

// Makes the GUI's modal runner show molecular dynamics runs in this dialog.
void register_md_window();

}  // namespace ui
