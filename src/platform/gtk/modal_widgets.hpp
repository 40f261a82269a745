// The native widgets behind the popup menu, the game's modal dialog and the message box. They
// only record what the user chose; the desktop runs the loop that waits for it.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string_view>
#include <vector>

#include "platform/cairo/painter.hpp"
#include "platform/gtk/gobject_ptr.hpp"
#include "platform/platform.hpp"

namespace pw::gtk {

struct MenuChoice {
    bool open = true;
    std::optional<int> chosen;
};
// `choice` must outlive the menu.
WidgetPtr build_menu(const std::vector<platform::MenuItem>& items, MenuChoice& choice);
// Opens the menu where the pointer is; `click` is the mouse-down that asked for it, if any.
void popup_at_pointer(GtkMenu* menu, const GdkEvent* click);

struct DialogState {
    const platform::DialogLayout& layout;
    paint::Painter& painter;
    bool open = true;
    int button = 0;  // closing the dialog without a button counts as the first one
};
// A fixed-size modal dialog laid out as designed; `state` must outlive it.
WidgetPtr build_dialog(DialogState& state, GtkWindow* parent);

WidgetPtr build_message_box(std::string_view text, std::string_view caption, GtkWindow* parent);

// A GDK picture of the game's bitmap, transparent where the bitmap is.
ObjectPtr<GdkPixbuf> pixbuf_from(const platform::Picture& picture);

}  // namespace pw::gtk
