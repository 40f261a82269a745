// The popup menu, the version dialog and the message box, each in a loop of its own while
// the game waits for it.
#include "platform/gtk/gtk_desktop.hpp"

#include "platform/gtk/gtk_window.hpp"
#include "platform/gtk/modal_widgets.hpp"

namespace pw::gtk {

GtkWindow* GtkDesktop::lamp_window() {
    for (const auto& [h, win] : windows_)
        if (win->role == platform::WindowRole::Lamp && win->mapped)
            return GTK_WINDOW(win->widget.get());
    return nullptr;
}

std::optional<int> GtkDesktop::popup_menu(const std::vector<platform::MenuItem>& items) {
    show_all_contents();
    MenuChoice choice;
    WidgetPtr menu = build_menu(items, choice);
    popup_at_pointer(GTK_MENU(menu.get()), current_click_);
    // Another program's grab keeps a menu from opening; then nothing was chosen.
    if (!gtk_widget_get_visible(menu.get())) return std::nullopt;
    modal_loop(choice.open);
    return choice.chosen;
}

int GtkDesktop::run_dialog(const platform::DialogLayout& dialog) {
    show_all_contents();
    metrics();
    DialogState state{dialog, painter_};
    WidgetPtr window = build_dialog(state, lamp_window());
    gtk_widget_show_all(window.get());
    modal_loop(state.open);
    return state.button;
}

void GtkDesktop::message_box(std::string_view text, std::string_view caption) {
    show_all_contents();
    WidgetPtr box = build_message_box(text, caption, lamp_window());
    // Nothing of the game runs while it is open: its own loop only marks timers due.
    gtk_dialog_run(GTK_DIALOG(box.get()));
}

}  // namespace pw::gtk
