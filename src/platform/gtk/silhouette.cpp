#include "platform/gtk/silhouette.hpp"

namespace pw::gtk {

void paint_silhouette(cairo_t* cr, const std::optional<Region>& shape,
                      const std::function<void(cairo_t*)>& paint) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_save(cr);
    if (shape) {
        for (const Rect& r : shape->rects())
            cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        cairo_clip(cr);
    }
    paint(cr);
    cairo_restore(cr);
}

}  // namespace pw::gtk
