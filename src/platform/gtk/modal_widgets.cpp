#include "platform/gtk/modal_widgets.hpp"

#include <string>

namespace pw::gtk {
namespace {

constexpr const char* kIndexKey = "petalwing-index";

int index_of(gpointer object) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(object), kIndexKey));
}

void set_index(gpointer object, int index) {
    g_object_set_data(G_OBJECT(object), kIndexKey, GINT_TO_POINTER(index));
}

void on_menu_item(GtkMenuItem* item, gpointer data) {
    static_cast<MenuChoice*>(data)->chosen = index_of(item);
}

void on_menu_closed(GtkMenuShell*, gpointer data) {
    static_cast<MenuChoice*>(data)->open = false;
}

gboolean on_dialog_draw(GtkWidget*, cairo_t* cr, gpointer data) {
    auto* state = static_cast<DialogState*>(data);
    state->painter.paint_items(cr, state->layout.items);
    return FALSE;
}

void on_dialog_button(GtkButton* button, gpointer dialog) {
    gtk_dialog_response(GTK_DIALOG(dialog), index_of(button));
}

// Escape and the window manager's close button ask to delete the window: that closes the
// dialog as its first button does, and the dialog stays ours to destroy.
gboolean on_dialog_delete(GtkWidget* dialog, GdkEvent*, gpointer) {
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_DELETE_EVENT);
    return TRUE;
}

void on_dialog_response(GtkDialog*, gint response, gpointer data) {
    auto* state = static_cast<DialogState*>(data);
    state->open = false;
    state->button = response >= 0 ? response : 0;
}

}  // namespace

WidgetPtr build_menu(const std::vector<platform::MenuItem>& items, MenuChoice& choice) {
    WidgetPtr menu(gtk_menu_new());
    for (std::size_t i = 0; i < items.size(); ++i) {
        GtkWidget* item = items[i].caption == "-"
                              ? gtk_separator_menu_item_new()
                              : gtk_menu_item_new_with_label(items[i].caption.c_str());
        set_index(item, static_cast<int>(i));
        g_signal_connect(item, "activate", G_CALLBACK(on_menu_item), &choice);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu.get()), item);
    }
    g_signal_connect(menu.get(), "deactivate", G_CALLBACK(on_menu_closed), &choice);
    gtk_widget_show_all(menu.get());
    return menu;
}

void popup_at_pointer(GtkMenu* menu, const GdkEvent* click) {
    // A click made up on this side: where it says, on its window (GDK knows not where the
    // pointer is).
    if (click && click->any.send_event) {
        GdkRectangle spot{static_cast<int>(click->button.x), static_cast<int>(click->button.y), 1,
                          1};
        gtk_menu_popup_at_rect(menu, click->any.window, &spot, GDK_GRAVITY_SOUTH_EAST,
                               GDK_GRAVITY_NORTH_WEST, click);
        return;
    }
    if (click) {
        gtk_menu_popup_at_pointer(menu, click);
        return;
    }
    // No click to anchor it: a one-pixel spot under the pointer on the root window.
    GdkDisplay* display = gdk_display_get_default();
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    GdkRectangle spot{0, 0, 1, 1};
    gdk_device_get_position(pointer, nullptr, &spot.x, &spot.y);
    gtk_menu_popup_at_rect(menu, gdk_get_default_root_window(), &spot, GDK_GRAVITY_SOUTH_EAST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
}

WidgetPtr build_dialog(DialogState& state, GtkWindow* parent) {
    const platform::DialogLayout& layout = state.layout;
    WidgetPtr dialog(gtk_dialog_new());
    GtkWindow* window = GTK_WINDOW(dialog.get());
    gtk_window_set_title(window, layout.title.c_str());
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    if (parent) gtk_window_set_transient_for(window, parent);
    // A dialog of the lamp's: no task-bar entry of its own, nothing to maximise or resize.
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
    gtk_widget_realize(dialog.get());
    gdk_window_set_functions(gtk_widget_get_window(dialog.get()),
                             static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
    gtk_window_set_position(window, parent ? GTK_WIN_POS_CENTER : GTK_WIN_POS_CENTER_ALWAYS);
    if (layout.icon) gtk_window_set_icon(window, pixbuf_from(layout.icon).get());

    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()));
    gtk_container_set_border_width(GTK_CONTAINER(content), 0);
    GtkWidget* fixed = gtk_fixed_new();
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, layout.client_width, layout.client_height);
    g_signal_connect(area, "draw", G_CALLBACK(on_dialog_draw), &state);
    gtk_fixed_put(GTK_FIXED(fixed), area, 0, 0);
    for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
        const auto& b = layout.buttons[i];
        GtkWidget* button = gtk_button_new_with_label(b.caption.c_str());
        gtk_widget_set_size_request(button, b.box.right - b.box.left, b.box.bottom - b.box.top);
        set_index(button, static_cast<int>(i));
        g_signal_connect(button, "clicked", G_CALLBACK(on_dialog_button), dialog.get());
        gtk_fixed_put(GTK_FIXED(fixed), button, b.box.left, b.box.top);
        if (i == 0) {
            gtk_widget_set_can_default(button, TRUE);
            gtk_window_set_default(window, button);
            gtk_window_set_focus(window, button);
        }
    }
    gtk_box_pack_start(GTK_BOX(content), fixed, TRUE, TRUE, 0);
    g_signal_connect(dialog.get(), "response", G_CALLBACK(on_dialog_response), &state);
    g_signal_connect(dialog.get(), "delete-event", G_CALLBACK(on_dialog_delete), nullptr);
    return dialog;
}

WidgetPtr build_message_box(std::string_view text, std::string_view caption, GtkWindow* parent) {
    WidgetPtr box(gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                         GTK_BUTTONS_OK, "%s", std::string(text).c_str()));
    gtk_window_set_title(GTK_WINDOW(box.get()), std::string(caption).c_str());
    gtk_window_set_keep_above(GTK_WINDOW(box.get()), TRUE);
    gtk_window_set_position(GTK_WINDOW(box.get()), GTK_WIN_POS_CENTER);
    return box;
}

ObjectPtr<GdkPixbuf> pixbuf_from(const platform::Picture& picture) {
    const int w = picture.width(), h = picture.height();
    ObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h));
    guchar* data = gdk_pixbuf_get_pixels(pixbuf.get());
    const int stride = gdk_pixbuf_get_rowstride(pixbuf.get());
    const auto pixels = picture.pixels();
    for (int row = 0; row < h; ++row) {
        guchar* dst = data + row * stride;
        for (int col = 0; col < w; ++col, dst += 4) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(row) * w + col];
            dst[0] = static_cast<guchar>(p >> 16);
            dst[1] = static_cast<guchar>(p >> 8);
            dst[2] = static_cast<guchar>(p);
            dst[3] = static_cast<guchar>(p >> 24);
        }
    }
    return pixbuf;
}

}  // namespace pw::gtk
