#include "ui/gl_view_helper.h"

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QPointer>
#include <QWindow>
#include <cmath>
#include <optional>
#include <vector>

#include <GL/gl.h>
#include <GL/glu.h>

namespace ui::gl {
namespace {

constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 96;
constexpr double kPi = 3.1415926535;

struct Probe {
    bool usable = false;
    bool software = false;
    QString why;
};

std::optional<Probe>& probe_cache() {
    static std::optional<Probe> cache;
    return cache;
}

bool& forced_off() {
    static bool off = false;
    return off;
}

Probe probe() {
    Probe p;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        p.why = QStringLiteral("No OpenGL view: the \"%1\" display platform has no OpenGL.")
                    .arg(platform);
        return p;
    }
    if (qgetenv("QT_XCB_GL_INTEGRATION") == "none") {
        p.why = QStringLiteral("No OpenGL view: OpenGL is switched off (QT_XCB_GL_INTEGRATION).");
        return p;
    }
    QOpenGLContext context;
    context.setFormat(compatibility_format());
    if (!context.create()) {
        p.why = QStringLiteral("No OpenGL view: no OpenGL context could be created.");
        return p;
    }
    // The views draw with glBegin, display lists and GLU: neither ES nor a core profile has them.
    if (context.isOpenGLES() || context.format().profile() == QSurfaceFormat::CoreProfile) {
        p.why = QStringLiteral("No OpenGL view: the OpenGL context has no fixed-function drawing.");
        return p;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        p.why = QStringLiteral("No OpenGL view: the OpenGL context cannot be used.");
        return p;
    }
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const QByteArray name = QByteArray(renderer ? renderer : "").toLower();
    p.software = name.contains("llvmpipe") || name.contains("softpipe") ||
                 name.contains("software") || name.contains("swrast");
    context.doneCurrent();
    p.usable = true;
    return p;
}

}  // namespace

QSurfaceFormat compatibility_format() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setVersion(2, 1);
    f.setDepthBufferSize(24);
    return f;
}

bool available(QString* why) {
    if (forced_off()) {
        if (why) *why = QStringLiteral("No OpenGL view: OpenGL is switched off.");
        return false;
    }
    if (!probe_cache()) probe_cache() = probe();
    if (why) *why = probe_cache()->why;
    return probe_cache()->usable;
}

bool software_renderer() {
    return available() && probe_cache()->software;
}

void force_unavailable(bool off) {
    forced_off() = off;
    probe_cache().reset();
}

Colour species_colour(int species) {
    static constexpr int kTable[5][3] = {
        {55, 55, 75}, {75, 0, 25}, {0, 55, 5}, {0, 0, 85}, {70, 0, 70}};
    if (species < 0 || species > 4) return {0.5f, 0.5f, 0.5f};
    return {kTable[species][0] / 255.0f, kTable[species][1] / 255.0f, kTable[species][2] / 255.0f};
}

void draw_wire_cube(float lo, float hi) {
    const float c[8][3] = {{lo, lo, lo}, {hi, lo, lo}, {hi, hi, lo}, {lo, hi, lo},
                           {lo, lo, hi}, {hi, lo, hi}, {hi, hi, hi}, {lo, hi, hi}};
    static constexpr int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                          {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    // With colour-material tracking on, the white would become the spheres' material too.
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    for (const auto& e : kEdges) {
        glVertex3fv(c[e[0]]);
        glVertex3fv(c[e[1]]);
    }
    glEnd();
    glPopAttrib();
}

void set_up_lighting(float x, float y, float z) {
    // The species colours are dark; a bright light keeps them apart on the screen.
    const GLfloat ambient[] = {0.6f, 0.6f, 0.6f, 1.0f};
    const GLfloat diffuse[] = {2.2f, 2.2f, 2.2f, 1.0f};
    const GLfloat specular[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat position[] = {x, y, z + 100.0f, 1.0f};
    const GLfloat direction[] = {0.0f, 0.0f, -1.0f};
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, direction);
    glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 40.0f);
    glLightf(GL_LIGHT0, GL_SPOT_EXPONENT, 30.0f);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    const GLfloat shine[] = {0.6f, 0.6f, 0.6f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, shine);
    glMateriali(GL_FRONT, GL_SHININESS, 30);
}

void set_perspective(int width, int height) {
    height = std::max(height, 1);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(54.0, static_cast<double>(width) / height, 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

GlyphFont::~GlyphFont() {
    // Lists die with their context; destroy() is for a context that lives on.
    base_ = 0;
}

QFont GlyphFont::default_font() {
    QFont f(QStringLiteral("Courier"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(14);
    f.setBold(true);
    return f;
}

void GlyphFont::create(const QFont& font) {
    destroy();
    const GLuint base = glGenLists(kGlyphCount);
    if (base == 0) return;
    const QFontMetrics fm(font);
    const int h = std::max(1, fm.height());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < kGlyphCount; ++i) {
        const QChar ch(kFirstGlyph + i);
        const int w = std::max(1, fm.horizontalAdvance(ch));
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        if (i + kFirstGlyph < 127) {
            QPainter p(&img);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(0, fm.ascent(), QString(ch));
        }
        // glBitmap rows run bottom-up, bits most significant first.
        const int row_bytes = (w + 7) / 8;
        std::vector<GLubyte> bits(static_cast<size_t>(row_bytes) * h, 0);
        for (int y = 0; y < h; ++y) {
            GLubyte* row = bits.data() + static_cast<size_t>(h - 1 - y) * row_bytes;
            for (int x = 0; x < w; ++x)
                if (qAlpha(img.pixel(x, y)) >= 128)
                    row[x / 8] |= static_cast<GLubyte>(0x80 >> (x % 8));
        }
        glNewList(base + i, GL_COMPILE);
        glBitmap(w, h, 0.0f, static_cast<GLfloat>(fm.descent()), static_cast<GLfloat>(w), 0.0f,
                 bits.data());
        glEndList();
    }
    base_ = base;
}

void GlyphFont::destroy() {
    if (base_ != 0 && QOpenGLContext::currentContext()) glDeleteLists(base_, kGlyphCount);
    base_ = 0;
}

void GlyphFont::draw(const QByteArray& text) const {
    if (base_ == 0) return;
    QByteArray shown;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= kFirstGlyph && static_cast<unsigned char>(c) < 128)
            shown.append(c);
    glPushAttrib(GL_LIST_BIT);
    glListBase(base_ - kFirstGlyph);
    glCallLists(static_cast<GLsizei>(shown.size()), GL_UNSIGNED_BYTE, shown.constData());
    glPopAttrib();
}

bool Camera::key(int qt_key) {
    switch (qt_key) {
        case Qt::Key_W:
            pitch -= 10.0f;
            return true;
        case Qt::Key_S:
            pitch += 10.0f;
            return true;
        case Qt::Key_A:
            yaw -= 10.0f;
            return true;
        case Qt::Key_D:
            yaw += 10.0f;
            return true;
        case Qt::Key_Z:
            radius += 0.5f;
            return true;
        case Qt::Key_X:
            // A sphere of no or negative radius would vanish or turn inside out.
            radius = std::max(0.5f, radius - 0.5f);
            return true;
        case Qt::Key_C:
            z += 50.0f;
            return true;
        case Qt::Key_V:
            z -= 50.0f;
            return true;
        default:
            return false;
    }
}

namespace {
float wrap_degrees(float a) {
    a = std::fmod(a, 360.0f);
    return a < 0 ? a + 360.0f : a;
}
}  // namespace

void Camera::drag(int dx, int dy) {
    pitch = wrap_degrees(pitch - static_cast<float>(dy));
    yaw = wrap_degrees(yaw - static_cast<float>(dx));
}

void Camera::move_forward() {
    const double p = pitch * kPi / 180.0;
    const double w = yaw * kPi / 180.0;
    x += static_cast<float>(std::cos(w) * std::sin(-p));
    y += static_cast<float>(std::cos(-p));
    z += static_cast<float>(-std::sin(w) * std::sin(-p));
}

void Camera::apply() const {
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, 1.0f, 0.0f);
    glTranslatef(-x, -y, -z);
}

void follow_focus_full_screen(QWidget& view, bool full_screen, bool& activated_once) {
    if (!full_screen) return;
    if (!view.isActiveWindow()) {
        view.showMinimized();
    } else if (activated_once && !view.isFullScreen()) {
        view.showFullScreen();
    }
    if (view.isActiveWindow()) activated_once = true;
}

namespace {

// Makes the view its owner's transient window each time it is shown (its native window exists
// by then): the window manager keeps it with the dialog and a modal dialog lets input through.
class TransientOwner : public QObject {
  public:
    TransientOwner(QWidget& view, QWidget* owner) : QObject(&view), owner_(owner) {
        view.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && owner_) {
            QWindow* mine = static_cast<QWidget*>(watched)->windowHandle();
            QWindow* theirs = owner_->window()->windowHandle();
            if (mine && theirs && mine->transientParent() != theirs)
                mine->setTransientParent(theirs);
        }
        return false;
    }

  private:
    QPointer<QWidget> owner_;
};

}  // namespace

void prepare_view_window(QOpenGLWidget& view, QWidget* owner) {
    if (owner) new TransientOwner(view, owner);
    // A window of its own that still takes input while the dialog runs modally.
    view.setWindowFlags(Qt::Window);
    view.setWindowTitle(QStringLiteral("OpenGL View"));
    view.setFormat(compatibility_format());
    view.setFocusPolicy(Qt::StrongFocus);
    view.setAttribute(Qt::WA_DeleteOnClose, false);
    view.setMinimumSize(64, 48);
}

}  // namespace ui::gl
