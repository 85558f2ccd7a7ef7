// Pieces shared by the program's OpenGL views (the molecular dynamics picture and view window,
// the orbital view): whether OpenGL can be used at all, the compatibility-profile format the
// fixed-function calls need, a wire cube, bitmap-font text, the light, and the camera that the
// keys and the mouse move. Every drawing call expects the caller's context to be current.
#pragma once

#include <QFont>
#include <QOpenGLWidget>
#include <QString>
#include <QSurfaceFormat>
#include <QWidget>

namespace ui::gl {

// A legacy (compatibility) context with a depth buffer: glBegin, display lists and GLU.
QSurfaceFormat compatibility_format();

// Whether this session can render with OpenGL; when not, `why` says so in a sentence the
// dialogs show as a tooltip. Probed once (platform, QT_XCB_GL_INTEGRATION, a real context).
bool available(QString* why = nullptr);
// Whether the OpenGL found renders on the processor (Mesa's llvmpipe or softpipe, by its
// GL_RENDERER): every picture drawn then takes processor time from a benchmark.
bool software_renderer();
// Tests: pretend OpenGL is missing (true) or probe again (false).
void force_unavailable(bool off);

// Red, green, blue of a species (0 helium .. 4 xenon) as fractions; grey for any other code.
struct Colour {
    float r, g, b;
};
Colour species_colour(int species);

// Twelve smoothed white lines around the cube lo..hi on every axis.
void draw_wire_cube(float lo, float hi);

// Light 0 at `x, y, z` with colour-material tracking, specular material and smooth shading;
// depth test and back-face culling on.
void set_up_lighting(float x, float y, float z);

// Viewport and a 54 degree perspective for a `width` x `height` surface.
void set_perspective(int width, int height);

// Characters 32 to 127 of a font as 96 bitmap display lists.
class GlyphFont {
  public:
    GlyphFont() = default;
    ~GlyphFont();
    GlyphFont(const GlyphFont&) = delete;
    GlyphFont& operator=(const GlyphFont&) = delete;

    // Builds the lists in the current context; "Courier", 14 pixels, bold by default.
    void create(const QFont& font = default_font());
    // Frees the lists; the context that built them must be current.
    void destroy();
    // Draws `text` at the current raster position (other characters are skipped).
    void draw(const QByteArray& text) const;
    bool created() const { return base_ != 0; }

    static QFont default_font();

  private:
    unsigned base_ = 0;
};

// The viewer's position and angles, moved by the keys and the mouse of a view window.
struct Camera {
    float x = 50, y = 50, z = 150;
    float pitch = 0, yaw = 0;
    float radius = 2.5f;  // of the atom spheres

    // W/S pitch, A/D yaw, Z/X sphere radius, C/V distance (Qt key codes). False: not ours.
    bool key(int qt_key);
    // A left-button drag by (dx, dy) pixels; the angles stay within 0..360.
    void drag(int dx, int dy);
    // One step along the view direction (right button held).
    void move_forward();
    // Rotation and translation of the scene for this camera.
    void apply() const;
};

// The set-up every view window shares: a top-level "OpenGL View" window with a compatibility
// context that takes the keyboard while its dialog runs modally. The view is no child of
// `owner` (Qt would re-create a parent's native window for OpenGL, and the dialog would jump
// and flicker); it is the owner's transient window instead. The caller deletes it.
void prepare_view_window(QOpenGLWidget& view, QWidget* owner);

// A full-screen view steps aside (minimises) when another window takes the focus and comes
// back full screen when it gets it again. Call from changeEvent on ActivationChange.
void follow_focus_full_screen(QWidget& view, bool full_screen, bool& activated_once);

}  // namespace ui::gl
