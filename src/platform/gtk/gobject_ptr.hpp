// Owning pointers for the C objects of GTK, GDK, cairo, Pango and Xlib, so each is released
// exactly once on every path, exceptions included.
#pragma once

#include <cairo.h>
#include <gtk/gtk.h>

#include <memory>

#include "platform/cairo/cairo_ptr.hpp"

namespace pw::gtk {

using paint::ObjectPtr;
using paint::Releaser;
using paint::SurfacePtr;
using RegionPtr = std::unique_ptr<cairo_region_t, Releaser<cairo_region_t, cairo_region_destroy>>;
using EventPtr = std::unique_ptr<GdkEvent, Releaser<GdkEvent, gdk_event_free>>;
using SourcePtr = std::unique_ptr<GSource, Releaser<GSource, g_source_unref>>;
using WidgetPtr = std::unique_ptr<GtkWidget, Releaser<GtkWidget, gtk_widget_destroy>>;

}  // namespace pw::gtk
