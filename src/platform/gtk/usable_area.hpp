// The work area on Wayland: the output less the panels' exclusive zones. A client cannot ask
// for the zones, but the compositor sizes a layer surface anchored to all four edges of the
// output to exactly what they leave, and sizes it again whenever a panel comes, goes or
// grows. That surface sits on the background layer, transparent, and takes no input.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <optional>

#include "platform/gtk/gobject_ptr.hpp"

namespace pw::gtk {

class UsableArea {
  public:
    // `changed` runs (inside GTK's event handling) whenever the compositor resizes the area.
    explicit UsableArea(std::function<void()> changed);
    ~UsableArea();
    UsableArea(const UsableArea&) = delete;
    UsableArea& operator=(const UsableArea&) = delete;

    // The area's height in logical pixels; the first time it waits (briefly) for the
    // compositor to say. Nothing if it never did.
    std::optional<int> height();

  private:
    static gboolean on_configure(GtkWidget* widget, GdkEventConfigure* event, gpointer data);

    std::function<void()> changed_;
    WidgetPtr window_;
    std::optional<int> height_;
    bool waited_ = false;
};

}  // namespace pw::gtk
