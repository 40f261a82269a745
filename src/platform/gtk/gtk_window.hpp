// What the GTK desktop keeps of each game window, shared by the files that make up the desktop.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <utility>

#include "platform/gtk/gtk_desktop.hpp"

namespace pw::gtk {

struct GtkDesktop::Window {
    GtkDesktop* desktop = nullptr;
    platform::WindowHandle handle = 0;
    platform::WindowRole role{};
    platform::WindowEvents events;
    WidgetPtr widget;  // on Wayland only the lamp's, which shows nothing itself
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
    bool mapped = false;       // shown to GTK
    bool viewable = false;     // the X server has mapped it
    bool wants_focus = false;  // focus() came before the window was viewable
    bool contents_pending = false;
    bool alpha = false;  // the window has an alpha channel
    std::optional<Region> shape;
    WindowContents contents;                       // what the game last asked the window to show
    std::optional<WindowContents> shown;           // what the X server has as its background
    std::shared_ptr<const Background> background;  // the pixmap behind `shown`
    Stage::SpriteId sprite = 0;                    // on Wayland: where the stage shows it
    std::optional<std::pair<int, int>> notified_size;  // as the server last told GTK of it
    int compositor_placements = 0;  // how often more the compositor may be asked to place it

    // No handler may see this window half destroyed.
    ~Window() {
        if (widget) g_signal_handlers_disconnect_by_data(widget.get(), this);
    }
};

// The game's code for a GDK mouse button, 0 for a button the game has no use for.
int mouse_button_code(guint button);

// Changes which events the server sends this program about `window`, keeping GDK's others.
void change_event_mask(GdkWindow* window, long add, long remove);

}  // namespace pw::gtk
