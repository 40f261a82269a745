#include "platform/gtk/contents_image.hpp"

#include "platform/gtk/silhouette.hpp"
#include "platform/gtk/window_scale.hpp"

namespace pw::gtk {

void paint_contents(cairo_t* cr, const WindowContents& contents, int scale,
                    paint::Painter& painter) {
    cairo_save(cr);
    cairo_scale(cr, scale, scale);
    paint_enlarged(cr, contents.width, contents.height, scale, [&](cairo_t* px) {
        paint_silhouette(px, contents.silhouette, [&](cairo_t* inside) {
            painter.paint_window(inside, contents.back, contents.picture, contents.items);
        });
    });
    cairo_restore(cr);
}

}  // namespace pw::gtk
