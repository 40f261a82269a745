#include "platform/gtk/alpha_visual.hpp"

namespace pw::gtk {

void use_alpha_visual(GtkWidget* window) {
    if (GdkVisual* visual = gdk_screen_get_rgba_visual(gtk_widget_get_screen(window)))
        gtk_widget_set_visual(window, visual);
}

}  // namespace pw::gtk
