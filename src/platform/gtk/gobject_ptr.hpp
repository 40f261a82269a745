// Owning pointers for the C objects of GTK, GDK, cairo, Pango and Xlib, so each is released
// exactly once on every path, exceptions included.
#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include <memory>

namespace pw::gtk {

template <class T, auto Free>
struct Releaser {
    void operator()(T* p) const { Free(p); }
};

inline void unref_object(void* p) {
    g_object_unref(p);
}

using SurfacePtr =
    std::unique_ptr<cairo_surface_t, Releaser<cairo_surface_t, cairo_surface_destroy>>;
using RegionPtr = std::unique_ptr<cairo_region_t, Releaser<cairo_region_t, cairo_region_destroy>>;
using EventPtr = std::unique_ptr<GdkEvent, Releaser<GdkEvent, gdk_event_free>>;
using SourcePtr = std::unique_ptr<GSource, Releaser<GSource, g_source_unref>>;
using WidgetPtr = std::unique_ptr<GtkWidget, Releaser<GtkWidget, gtk_widget_destroy>>;
template <class T>
using ObjectPtr = std::unique_ptr<T, Releaser<T, unref_object>>;

}  // namespace pw::gtk
