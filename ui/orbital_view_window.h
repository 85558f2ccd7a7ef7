// The Orbitra "OpenGL View": a cross-section of the last orbital of the deck on a tilted set of
// rings, each point a small triangle coloured by the sign of u(r) Y(direction), turned a little
// every 100 ms by a timer on the GUI thread. It reads the run's view record under its lock, so
// it follows a running calculation and, after a run that kept its data, shows the last one.
#pragma once

#include <QOpenGLWidget>
#include <QTimer>

#include "atom/orbital_view_geometry.h"
#include "atom/orbitra_run.h"
#include "ui/gl_view_helper.h"

namespace ui {

class OrbitalViewWindow : public QOpenGLWidget {
    Q_OBJECT
  public:
    // `run_active`: a run feeds the view; closing is refused until run_ended().
    // `owner`: the dialog the window belongs to (not its Qt parent; the caller deletes it).
    OrbitalViewWindow(atom::OrbitraShared& shared, bool run_active, QWidget* owner);
    ~OrbitalViewWindow() override;

    // Shows the 800 x 600 window, or covering the screen with `full_screen`.
    void show_window(bool full_screen);
    // The run that fed the view is over: the window may be closed now.
    void run_ended() { run_active_ = false; }
    bool run_active() const { return run_active_; }

    // One view step: values from the run's record, then the turn (the 100 ms timer).
    void step();
    int steps() const { return steps_; }
    const atom::RingSet& rings() const { return rings_; }
    const atom::ViewCamera& camera() const { return camera_; }
    bool box_shown() const { return show_box_; }
    bool text_shown() const { return show_text_; }
    // The texts as drawn: the angles and, for an orbital without a harmonic, the note.
    QByteArray angles_text() const;
    QByteArray note_text() const;

  protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void tick();
    void release_gl();

    atom::OrbitraShared& shared_;
    bool run_active_;
    atom::RingSet rings_;
    atom::radgrid u_;  // the view's copy of the record
    int harmonic_ = 0;
    int steps_ = 0;
    atom::ViewCamera camera_;
    gl::GlyphFont font_;
    bool show_box_ = true;
    bool show_text_ = true;
    bool dragging_ = false;
    bool moving_ = false;  // the right button is held
    bool full_screen_ = false;
    bool activated_once_ = false;
    bool gl_ready_ = false;
    QPoint last_mouse_;
    QTimer turn_;  // the view step, every 100 ms
    QTimer move_;  // 1 ms while the right button is held
};

}  // namespace ui
