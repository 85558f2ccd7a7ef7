// The "OpenGL View" window of a molecular dynamics run or replay: every atom as a lit sphere in
// its species colour, the guide cube and the camera's angles, moved with the keys and the
// mouse. The run's worker or replay thread hands it frames through the frame sink; the window
// draws the newest one from its own 1 ms timer on the GUI thread and, after drawing, asks the
// replay for the next.
#pragma once

#include <QOpenGLWidget>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "md/frame_sink.h"
#include "md/md_dialog_data.h"
#include "ui/gl_view_helper.h"

struct GLUquadric;

namespace md {
class MdController;
}

namespace ui {

class MdViewWindow : public QOpenGLWidget {
    Q_OBJECT
  public:
    // `owner`: the dialog the window belongs to (not its Qt parent; the caller deletes it).
    MdViewWindow(const md::ViewSettings& view, app::Event* frame_request, QWidget* owner);
    ~MdViewWindow() override;

    // From the worker or replay thread: the arrays stay valid until the run's buffers go.
    void set_frame(const double* xyz, const int32_t* species, int32_t atom_count);
    // The run lets go: a close request is honoured from now on.
    void release() { owned_ = false; }

    gl::Camera& camera() { return camera_; }
    int frames_drawn() const { return frames_drawn_.load(); }
    bool full_screen() const { return full_screen_; }
    // A full-screen view minimises itself when it loses the focus.
    void set_full_screen(bool on) { full_screen_ = on; }
    // The pitch/yaw line as drawn.
    QByteArray angles_text() const;

  protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void tick();
    void release_gl();
    void build_sphere();

    md::ViewSettings view_;
    app::Event* frame_request_;
    gl::Camera camera_;
    gl::GlyphFont font_;
    GLUquadric* quadric_ = nullptr;
    unsigned sphere_list_ = 0;
    float sphere_radius_ = 0;
    float spin_ = 0;
    bool owned_ = true;
    bool full_screen_ = false;
    bool activated_once_ = false;

    std::mutex mutex_;
    const double* xyz_ = nullptr;
    const int32_t* species_ = nullptr;
    int32_t atoms_ = 0;
    bool frame_pending_ = false;

    bool redraw_ = true;
    bool dragging_ = false;
    bool forward_ = false;
    QPoint last_mouse_;
    std::atomic<int> frames_drawn_{0};
    QTimer tick_;
};

// The dialog's frame sink: opens an "OpenGL View" window for each run or replay with the
// controller's view settings and closes it when the run is done.
class MdViewSink : public md::FrameSink {
  public:
    MdViewSink(md::MdController& controller, QWidget* dialog);
    ~MdViewSink() override;

    void open(int32_t atom_count, app::Event* frame_request) override;
    void show_frame(const double* xyz, const int32_t* species, int32_t atom_count) override;
    void close() override;

    MdViewWindow* window() const { return window_; }

  private:
    md::MdController& controller_;
    QWidget* dialog_;
    std::mutex mutex_;
    MdViewWindow* window_ = nullptr;
};

}  // namespace ui
