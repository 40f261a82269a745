// Owning pointers for the C objects of cairo and Pango, so each is released exactly once on
// every path, exceptions included.
#pragma once

#include <cairo.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

namespace pw::paint {

template <class T, auto Free>
struct Releaser {
    void operator()(T* p) const { Free(p); }
};

inline void unref_object(void* p) {
    g_object_unref(p);
}

using SurfacePtr =
    std::unique_ptr<cairo_surface_t, Releaser<cairo_surface_t, cairo_surface_destroy>>;
using ContextPtr = std::unique_ptr<cairo_t, Releaser<cairo_t, cairo_destroy>>;
using FontPtr = std::unique_ptr<PangoFontDescription,
                                Releaser<PangoFontDescription, pango_font_description_free>>;
template <class T>
using ObjectPtr = std::unique_ptr<T, Releaser<T, unref_object>>;

}  // namespace pw::paint
