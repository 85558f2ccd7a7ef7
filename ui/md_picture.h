// The molecular dynamics dialog's small rotating picture: the cell's wire cube and, for a
// user-specified crystal, one sphere per basis site in its species colour, rendered with
// OpenGL into an off-screen buffer and handed to the dialog as an image.
#pragma once

#include <QImage>
#include <QSize>
#include <array>
#include <memory>

class QOpenGLContext;
class QOffscreenSurface;
class QOpenGLFramebufferObject;
struct GLUquadric;

namespace ui {

struct PictureScene {
    float angle = 0;          // degrees around the cell
    bool show_sites = false;  // a user-specified crystal
    int lattice_type = 0;
    std::array<int, 4> species{};
    bool operator==(const PictureScene&) const = default;
};

class MdPicture {
  public:
    static constexpr QSize kSize{200, 150};

    MdPicture();
    ~MdPicture();
    MdPicture(const MdPicture&) = delete;
    MdPicture& operator=(const MdPicture&) = delete;

    // False when OpenGL is missing or unusable: render() then returns a null image.
    bool ready() const { return ready_; }
    QImage render(const PictureScene& scene);

  private:
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLFramebufferObject> buffer_;
    GLUquadric* quadric_ = nullptr;
    bool ready_ = false;
};

}  // namespace ui
