#include "ui/md_picture.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <cmath>

#include <GL/gl.h>
#include <GL/glu.h>

#include "md/mdsimstate.h"
#include "ui/gl_view_helper.h"

namespace ui {
namespace {

// Basis sites 1 to 4 in the picture's coordinates.
constexpr float kSites[4][3] = {{25, 25, 25}, {50, 50, 50}, {50, 25, 50}, {50, 50, 25}};
constexpr double kPi = 3.1415926535;

}  // namespace

MdPicture::MdPicture() {
    if (!gl::available()) return;
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(gl::compatibility_format());
    if (!context_->create()) return;
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(context_->format());
    surface_->create();
    if (!surface_->isValid() || !context_->makeCurrent(surface_.get())) return;
    if (QOpenGLFramebufferObject::hasOpenGLFramebufferObjects()) {
        buffer_ = std::make_unique<QOpenGLFramebufferObject>(
            kSize, QOpenGLFramebufferObject::CombinedDepthStencil);
        quadric_ = gluNewQuadric();
        if (quadric_) {
            gluQuadricDrawStyle(quadric_, GLU_FILL);
            gluQuadricNormals(quadric_, GLU_SMOOTH);
        }
        ready_ = buffer_->isValid() && quadric_ != nullptr;
    }
    context_->doneCurrent();
}

MdPicture::~MdPicture() {
    if (context_ && surface_ && surface_->isValid() && context_->makeCurrent(surface_.get())) {
        if (quadric_) gluDeleteQuadric(quadric_);
        buffer_.reset();
        context_->doneCurrent();
    }
}

QImage MdPicture::render(const PictureScene& scene) {
    if (!ready_ || !context_->makeCurrent(surface_.get())) return {};
    buffer_->bind();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl::set_perspective(kSize.width(), kSize.height());

    // The camera circles the cell's centre at a distance of 100.
    const double a = scene.angle * kPi / 180.0;
    const float cx = static_cast<float>(std::sin(a) * 100.0 + 50.0);
    const float cz = static_cast<float>(std::cos(a) * 100.0 + 50.0);
    const float cy = 50.0f;
    glLoadIdentity();
    gl::set_up_lighting(0.0f, 0.0f, 0.0f);
    glRotatef(scene.angle, 0.0f, -1.0f, 0.0f);
    glTranslatef(-cx, -cy, -cz);

    gl::draw_wire_cube(25.0f, 75.0f);
    if (scene.show_sites) {
        const int sites = md::atoms_per_cell_for(scene.lattice_type);
        for (int k = 0; k < sites && k < 4; ++k) {
            const gl::Colour c = gl::species_colour(scene.species[k]);
            glPushMatrix();
            glTranslatef(kSites[k][0], kSites[k][1], kSites[k][2]);
            glColor3f(c.r, c.g, c.b);
            gluSphere(quadric_, 5.0, 25, 25);
            glPopMatrix();
        }
    }
    glFinish();
    QImage image = buffer_->toImage(false);
    buffer_->release();
    context_->doneCurrent();
    return image;
}

}  // namespace ui
