#include "ui/md_view_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <cstdio>

#include <GL/gl.h>
#include <GL/glu.h>

#include "md/md_controller.h"

namespace ui {
namespace {

constexpr int kTickMs = 1;  // timer 1055

}  // namespace

MdViewWindow::MdViewWindow(const md::ViewSettings& view, app::Event* frame_request, QWidget* owner)
    : QOpenGLWidget(nullptr), view_(view), frame_request_(frame_request) {
    gl::prepare_view_window(*this, owner);
    connect(&tick_, &QTimer::timeout, this, &MdViewWindow::tick);
    tick_.start(kTickMs);
}

MdViewWindow::~MdViewWindow() {
    tick_.stop();
    release_gl();
    // The base class destroys the context later, when this part of the object is gone.
    if (context()) disconnect(context(), nullptr, this, nullptr);
}

void MdViewWindow::set_frame(const double* xyz, const int32_t* species, int32_t atom_count) {
    std::lock_guard<std::mutex> lock(mutex_);
    xyz_ = xyz;
    species_ = species;
    atoms_ = atom_count;
    frame_pending_ = true;
}

QByteArray MdViewWindow::angles_text() const {
    char text[96];
    std::snprintf(text, sizeof text, "Pitch: %.2f Yaw: %.2f", static_cast<double>(camera_.pitch),
                  static_cast<double>(camera_.yaw));
    return QByteArray(text);
}

void MdViewWindow::tick() {
    if (forward_) {
        camera_.move_forward();
        redraw_ = true;
    }
    bool pending;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending = frame_pending_;
    }
    if (!pending && !redraw_) return;
    // A hidden or minimised window draws nothing: it passes the frame on so a replay goes on.
    if (!isVisible() || isMinimized()) {
        if (pending) {
            std::lock_guard<std::mutex> lock(mutex_);
            frame_pending_ = false;
            frames_drawn_.fetch_add(1);
        }
        if (pending && frame_request_) frame_request_->set();
        return;
    }
    // Drawn now rather than at the next screen refresh: the replay's rate is the drawing's.
    repaint();
}

void MdViewWindow::initializeGL() {
    quadric_ = gluNewQuadric();
    if (quadric_) {
        gluQuadricDrawStyle(quadric_, GLU_FILL);
        gluQuadricNormals(quadric_, GLU_SMOOTH);
    }
    font_.create();
    sphere_radius_ = 0;
    sphere_list_ = 0;
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MdViewWindow::release_gl,
            Qt::DirectConnection);
}

void MdViewWindow::release_gl() {
    if (!context() || !quadric_) return;
    makeCurrent();
    if (sphere_list_) glDeleteLists(sphere_list_, 1);
    sphere_list_ = 0;
    gluDeleteQuadric(quadric_);
    quadric_ = nullptr;
    font_.destroy();
    doneCurrent();
}

void MdViewWindow::resizeGL(int w, int h) {
    gl::set_perspective(w, h);
    redraw_ = true;
}

void MdViewWindow::build_sphere() {
    if (sphere_list_ && sphere_radius_ == camera_.radius) return;
    if (!sphere_list_) sphere_list_ = glGenLists(1);
    if (!sphere_list_ || !quadric_) return;
    glNewList(sphere_list_, GL_COMPILE);
    gluSphere(quadric_, camera_.radius, 20, 20);
    glEndList();
    sphere_radius_ = camera_.radius;
}

void MdViewWindow::paintGL() {
    const double* xyz;
    const int32_t* species;
    int32_t n;
    bool took;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        xyz = xyz_;
        species = species_;
        n = atoms_;
        took = frame_pending_;
        frame_pending_ = false;
    }
    redraw_ = false;

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The light sits with the viewer, above and behind the eye.
    gl::set_up_lighting(0.0f, 0.0f, 0.0f);
    spin_ += 10.0f;
    if (spin_ > 360.0f) spin_ = 0.0f;
    camera_.apply();

    if (view_.show_guide_cube) gl::draw_wire_cube(0.0f, 100.0f);

    build_sphere();
    if (xyz && species && sphere_list_) {
        for (int32_t i = 0; i < n; ++i) {
            const gl::Colour c = gl::species_colour(species[i]);
            glPushMatrix();
            glTranslated(xyz[3 * i] * 100.0, xyz[3 * i + 1] * 100.0, xyz[3 * i + 2] * 100.0);
            glRotatef(spin_, 0.0f, 1.0f, 0.0f);
            glColor3f(c.r, c.g, c.b);
            glCallList(sphere_list_);
            glPopMatrix();
        }
    }
    // Written last: the spheres would otherwise cover it.
    if (view_.show_pitch_yaw) {
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_DEPTH_TEST);
        glColor3f(1.0f, 1.0f, 1.0f);
        glPushMatrix();
        glLoadIdentity();
        glRasterPos3f(-0.6f, 0.0f, -1.0f);
        font_.draw(angles_text());
        glPopMatrix();
        glPopAttrib();
    }
    glFlush();
    if (took) {
        frames_drawn_.fetch_add(1);
        // Drawn: a replay may send the next frame.
        if (frame_request_) frame_request_->set();
    }
}

void MdViewWindow::keyPressEvent(QKeyEvent* event) {
    if (camera_.key(event->key())) {
        redraw_ = true;
        return;
    }
    QOpenGLWidget::keyPressEvent(event);
}

void MdViewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        last_mouse_ = event->position().toPoint();
    } else if (event->button() == Qt::RightButton) {
        forward_ = true;
    }
}

void MdViewWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const QPoint p = event->position().toPoint();
    camera_.drag(p.x() - last_mouse_.x(), p.y() - last_mouse_.y());
    last_mouse_ = p;
    redraw_ = true;
}

void MdViewWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    if (event->button() == Qt::RightButton) forward_ = false;
}

void MdViewWindow::closeEvent(QCloseEvent* event) {
    // The run or replay that opened the window closes it.
    if (owned_) {
        event->ignore();
        return;
    }
    tick_.stop();
    QOpenGLWidget::closeEvent(event);
}

void MdViewWindow::changeEvent(QEvent* event) {
    QOpenGLWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        gl::follow_focus_full_screen(*this, full_screen_, activated_once_);
}

MdViewSink::MdViewSink(md::MdController& controller, QWidget* dialog)
    : controller_(controller), dialog_(dialog) {}

MdViewSink::~MdViewSink() {
    std::lock_guard<std::mutex> lock(mutex_);
    delete window_;
    window_ = nullptr;
}

void MdViewSink::open(int32_t atom_count, app::Event* frame_request) {
    (void)atom_count;
    auto* w = new MdViewWindow(controller_.view, frame_request, dialog_);
    const md::ViewSettings& v = controller_.view;
    w->resize(std::max(64, v.width), std::max(48, v.height));
    if (v.full_screen) {
        // The display mode stays as it is: full screen is the window covering the screen.
        w->showFullScreen();
        if (w->isFullScreen())
            w->set_full_screen(true);
        else
            w->showNormal();
    } else {
        w->show();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = w;
}

void MdViewSink::show_frame(const double* xyz, const int32_t* species, int32_t atom_count) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_) window_->set_frame(xyz, species, atom_count);
}

void MdViewSink::close() {
    MdViewWindow* w;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        w = window_;
        window_ = nullptr;
    }
    if (!w) return;
    w->release();
    w->close();
    delete w;
}

}  // namespace ui
