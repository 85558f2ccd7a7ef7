#include "ui/orbital_view_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>

#include <GL/gl.h>

namespace ui {
namespace {

constexpr int kStepMs = 100;
constexpr int kMoveMs = 1;

float wrap_degrees(float a) {
    a = std::fmod(a, 360.0f);
    return a < 0 ? a + 360.0f : a;
}

}  // namespace

OrbitalViewWindow::OrbitalViewWindow(atom::OrbitraShared& shared, bool run_active, QWidget* owner)
    : QOpenGLWidget(nullptr), shared_(shared), run_active_(run_active) {
    gl::prepare_view_window(*this, owner);
    rings_ = atom::build_ring_set();
    atom::tilt_ring_set(rings_, atom::kViewTiltDegrees * atom::kViewDegree);
    connect(&turn_, &QTimer::timeout, this, &OrbitalViewWindow::step);
    connect(&move_, &QTimer::timeout, this, &OrbitalViewWindow::tick);
    turn_.start(kStepMs);
    step();
}

OrbitalViewWindow::~OrbitalViewWindow() {
    turn_.stop();
    move_.stop();
    release_gl();
    // The base class destroys the context later, when this part of the object is gone.
    if (context()) disconnect(context(), nullptr, this, nullptr);
}

void OrbitalViewWindow::show_window(bool full_screen) {
    resize(800, 600);
    if (full_screen) {
        // The display mode stays as it is: full screen is the window covering the screen.
        showFullScreen();
        full_screen_ = isFullScreen();
        if (!full_screen_) showNormal();
    } else {
        show();
    }
}

void OrbitalViewWindow::step() {
    {
        std::lock_guard lock(shared_.mutex);
        // Only the values change from iteration to iteration; the copy keeps its storage.
        u_.points = shared_.view_u.points;
        u_.rinit = shared_.view_u.rinit;
        u_.rfinal = shared_.view_u.rfinal;
        u_.dlog = shared_.view_u.dlog;
        u_.values = shared_.view_u.values;
        harmonic_ = shared_.view_harmonic;
    }
    atom::ring_set_values(rings_, u_, harmonic_);
    atom::turn_ring_set(rings_, atom::kViewDegree);
    ++steps_;
    update();
}

void OrbitalViewWindow::tick() {
    if (!moving_) return;
    // Backwards while Shift is held, also when it is pressed after the button.
    const bool back = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    camera_.move(back ? -1.0f : 1.0f);
    update();
}

QByteArray OrbitalViewWindow::angles_text() const {
    char text[96];
    std::snprintf(text, sizeof text, "Pitch: %.2f Yaw: %.2f", static_cast<double>(camera_.pitch),
                  static_cast<double>(camera_.yaw));
    return QByteArray(text);
}

QByteArray OrbitalViewWindow::note_text() const {
    if (atom::has_harmonic(harmonic_)) return {};
    int l = 0, m = 0;
    atom::harmonic_lm(harmonic_, l, m);
    char text[96];
    std::snprintf(text, sizeof text, "l = %d, m = %d: radial part u(r) only", l, m);
    return QByteArray(text);
}

void OrbitalViewWindow::initializeGL() {
    font_.create();
    gl_ready_ = true;
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &OrbitalViewWindow::release_gl,
            Qt::DirectConnection);
}

void OrbitalViewWindow::release_gl() {
    if (!context() || !gl_ready_) return;
    makeCurrent();
    font_.destroy();
    gl_ready_ = false;
    doneCurrent();
}

void OrbitalViewWindow::resizeGL(int w, int h) {
    gl::set_perspective(w, h);
}

void OrbitalViewWindow::paintGL() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gl::set_up_lighting(camera_.x, camera_.y, camera_.z);
    // The orbital's colours as they are: a strong ambient part, a weak spot.
    const GLfloat ambient[] = {1.5f, 1.5f, 1.5f, 1.0f};
    const GLfloat diffuse[] = {0.5f, 0.5f, 0.5f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glRotatef(camera_.pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(camera_.yaw, 0.0f, 1.0f, 0.0f);
    glTranslatef(-camera_.x, -camera_.y, -camera_.z);

    if (show_box_) gl::draw_wire_cube(0.0f, 100.0f);

    const atom::ValueRange range = atom::value_range(rings_);
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_POLYGON_SMOOTH);
    glBegin(GL_TRIANGLES);
    for (std::size_t i = 0; i < rings_.size(); ++i) {
        const auto colour = atom::point_colour(rings_.value[i], range);
        if (!colour) continue;
        glColor3f(colour->r, colour->g, colour->b);
        const float x = 20.0f * rings_.xyz[3 * i] + 50.0f;
        const float y = 20.0f * rings_.xyz[3 * i + 1] + 50.0f;
        const float z = 20.0f * rings_.xyz[3 * i + 2];
        glVertex3f(x, y, z);
        glVertex3f(x + 1.0f, y, z);
        glVertex3f(x + 1.0f, y + 1.0f, z);
    }
    glEnd();
    glPopAttrib();

    // Texts last, one unit in front of the eye.
    const QByteArray note = note_text();
    if (show_text_ || !note.isEmpty()) {
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_DEPTH_TEST);
        glColor3f(1.0f, 1.0f, 1.0f);
        glPushMatrix();
        glLoadIdentity();
        if (show_text_) {
            glRasterPos3f(-0.6f, 0.0f, -1.0f);
            font_.draw(angles_text());
        }
        if (!note.isEmpty()) {
            glRasterPos3f(-0.6f, -0.05f, -1.0f);
            font_.draw(note);
        }
        glPopMatrix();
        glPopAttrib();
    }
    glFlush();
}

void OrbitalViewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_W:
            camera_.pitch -= 10.0f;
            break;
        case Qt::Key_S:
            camera_.pitch += 10.0f;
            break;
        case Qt::Key_A:
            camera_.yaw -= 10.0f;
            break;
        case Qt::Key_D:
            camera_.yaw += 10.0f;
            break;
        case Qt::Key_C:
            camera_.z += 50.0f;
            break;
        case Qt::Key_V:
            camera_.z -= 50.0f;
            break;
        case Qt::Key_R:
            camera_ = atom::ViewCamera{};
            break;
        case Qt::Key_G:
            show_box_ = !show_box_;
            break;
        case Qt::Key_Y:
            show_text_ = !show_text_;
            break;
        default:
            QOpenGLWidget::keyPressEvent(event);
            return;
    }
    update();
}

void OrbitalViewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        last_mouse_ = event->position().toPoint();
    } else if (event->button() == Qt::RightButton) {
        moving_ = true;
        move_.start(kMoveMs);
    }
}

void OrbitalViewWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const QPoint p = event->position().toPoint();
    camera_.pitch = wrap_degrees(camera_.pitch - static_cast<float>(p.y() - last_mouse_.y()));
    camera_.yaw = wrap_degrees(camera_.yaw - static_cast<float>(p.x() - last_mouse_.x()));
    last_mouse_ = p;
    update();
}

void OrbitalViewWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    if (event->button() == Qt::RightButton) {
        moving_ = false;
        move_.stop();
    }
}

void OrbitalViewWindow::wheelEvent(QWheelEvent* event) {
    const int dy = event->angleDelta().y();
    if (dy == 0) return;
    camera_.move(dy > 0 ? 4.0f : -4.0f);
    update();
}

void OrbitalViewWindow::closeEvent(QCloseEvent* event) {
    // The run that feeds the view closes it, or lets go at its end.
    if (run_active_) {
        event->ignore();
        return;
    }
    turn_.stop();
    move_.stop();
    QOpenGLWidget::closeEvent(event);
}

void OrbitalViewWindow::changeEvent(QEvent* event) {
    QOpenGLWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        gl::follow_focus_full_screen(*this, full_screen_, activated_once_);
}

}  // namespace ui
