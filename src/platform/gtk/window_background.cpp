#include "platform/gtk/window_background.hpp"

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "platform/cairo/cairo_ptr.hpp"
#include "platform/gtk/contents_image.hpp"

namespace pw::gtk {
namespace {

// Pictures kept on the server for windows to go back to; the game has a few dozen.
constexpr std::size_t kRecentBackgrounds = 64;

using PatternPtr =
    std::unique_ptr<cairo_pattern_t, paint::Releaser<cairo_pattern_t, cairo_pattern_destroy>>;

// One colour all over: one pixel, tiled.
bool solid(const WindowContents& c) {
    return !c.picture && c.items.empty() && !c.silhouette;
}

// What the pixmap holds: a solid colour does not depend on the window's size.
WindowContents key_of(const WindowContents& c) {
    if (!solid(c)) return c;
    WindowContents key;
    key.back = c.back;
    return key;
}

}  // namespace

class Background {
  public:
    Background(GdkWindow* window, const WindowContents& contents, paint::Painter& painter)
        : key_(key_of(contents)),
          display_(GDK_WINDOW_XDISPLAY(window)),
          depth_(gdk_visual_get_depth(gdk_window_get_visual(window))),
          scale_(gdk_window_get_scale_factor(window)) {
        Visual* visual = gdk_x11_visual_get_xvisual(gdk_window_get_visual(window));
        const int width = solid(contents) ? 1 : std::max(contents.width, 1) * scale_;
        const int height = solid(contents) ? 1 : std::max(contents.height, 1) * scale_;
        // Painted on this side in the visual's own layout (32 bits a pixel, premultiplied
        // alpha where the visual has it) and sent in one image.
        paint::SurfacePtr image(cairo_image_surface_create(
            depth_ == 32 ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height));
        {
            paint::ContextPtr cr(cairo_create(image.get()));
            if (solid(contents)) {
                painter.paint_window(cr.get(), contents.back, contents.picture, contents.items);
            } else {
                paint_contents(cr.get(), contents, scale_, painter);
            }
        }
        cairo_surface_flush(image.get());
        pixmap_ = XCreatePixmap(display_, GDK_WINDOW_XID(window), static_cast<unsigned>(width),
                                static_cast<unsigned>(height), static_cast<unsigned>(depth_));
        XImage* ximage =
            XCreateImage(display_, visual, static_cast<unsigned>(depth_), ZPixmap, 0,
                         reinterpret_cast<char*>(cairo_image_surface_get_data(image.get())),
                         static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                         cairo_image_surface_get_stride(image.get()));
        if (ximage) {
            // The pixels are in this machine's order; Xlib swaps them for a server of the
            // other one.
            ximage->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
            const GC gc = XCreateGC(display_, pixmap_, 0, nullptr);
            XPutImage(display_, pixmap_, gc, ximage, 0, 0, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
            XFreeGC(display_, gc);
            ximage->data = nullptr;  // the surface owns the pixels
            XDestroyImage(ximage);
        }
        // GDK sets the window's background itself around mapping it: it has to know this one.
        paint::SurfacePtr surface(
            cairo_xlib_surface_create(display_, pixmap_, visual, width, height));
        // GDK takes a pixmap as the background only at the window's own scale.
        cairo_surface_set_device_scale(surface.get(), scale_, scale_);
        pattern_.reset(cairo_pattern_create_for_surface(surface.get()));
        cairo_pattern_set_extend(pattern_.get(), CAIRO_EXTEND_REPEAT);
    }
    ~Background() { XFreePixmap(display_, pixmap_); }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    bool holds(GdkWindow* window, const WindowContents& contents) const {
        return GDK_WINDOW_XDISPLAY(window) == display_ &&
               gdk_visual_get_depth(gdk_window_get_visual(window)) == depth_ &&
               gdk_window_get_scale_factor(window) == scale_ && key_ == key_of(contents);
    }

    void show_in(GdkWindow* window) const {
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS  // the only way to tell GDK a window's background
            gdk_window_set_background_pattern(window, pattern_.get());
        G_GNUC_END_IGNORE_DEPRECATIONS
        XClearWindow(display_, GDK_WINDOW_XID(window));
    }

  private:
    WindowContents key_;
    Display* display_;
    int depth_;
    int scale_;
    Pixmap pixmap_ = 0;
    PatternPtr pattern_;
};

BackgroundPainter::BackgroundPainter(paint::Painter& painter) : painter_(painter) {}

BackgroundPainter::~BackgroundPainter() = default;

std::shared_ptr<const Background> BackgroundPainter::find_or_paint(GdkWindow* window,
                                                                   const WindowContents& contents) {
    auto it = std::find_if(recent_.begin(), recent_.end(),
                           [&](const auto& b) { return b->holds(window, contents); });
    if (it != recent_.end()) {
        recent_.splice(recent_.begin(), recent_, it);
    } else {
        recent_.push_front(std::make_shared<const Background>(window, contents, painter_));
        if (recent_.size() > kRecentBackgrounds) recent_.pop_back();
    }
    return recent_.front();
}

std::shared_ptr<const Background> BackgroundPainter::apply(GdkWindow* window,
                                                           const WindowContents& contents) {
    auto background = find_or_paint(window, contents);
    background->show_in(window);
    return background;
}

}  // namespace pw::gtk
