// The "Orbitra" dialog over the Orbitra run controller: the atom list and the grid lists with
// "Default Sim" / "User Defined", the energies, SCF iteration and time, Run / Cancel, the
// virial-factor graph, status and progress, and the orbital view ("View Sim", "Full Screen",
// "View Simulation"). Every control carries its dialog id as its object name.
#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "atom/orbitra_run.h"
#include "ui/dialog_window.h"

class QComboBox;

namespace ui {

class OrbitalViewWindow;
class VirialGraph;

class OrbitraDialog : public DialogWindow {
    Q_OBJECT
  public:
    OrbitraDialog(atom::OrbitraController& controller, QWidget* parent);
    ~OrbitraDialog() override;

    atom::OrbitraController& orbitra() { return run_; }

    // The control with dialog id `id` (null when there is none of that kind).
    template <typename T>
    T* control(int id) const {
        return findChild<T*>(QString::number(id));
    }
    VirialGraph* graph() const { return graph_; }
    // The open orbital view, if any.
    OrbitalViewWindow* view_window() const;
    bool has_gl() const { return has_gl_; }
    bool full_screen() const { return full_screen_; }

  protected:
    void update_display() override;

  private:
    void build();
    void fill_atom_list();
    void show_grid_lists();
    void atom_chosen(int index);
    void grid_chosen(QComboBox* list, std::string& text);
    void open_view();
    void close_view();
    void view_simulation();

    atom::OrbitraController& run_;
    VirialGraph* graph_ = nullptr;
    QPointer<OrbitalViewWindow> view_;
    bool has_gl_ = false;
    bool full_screen_ = false;
    bool atoms_shown_ = false;
    int shown_iteration_ = -1;
    bool shown_running_ = false;
    QElapsedTimer since_refresh_;
};

// Makes the GUI's modal runner show Orbitra runs in this dialog.
void register_orbitra_window();

}  // namespace ui
