// The game windows: their places, sizes, outlines and pictures.
#include "platform/gtk/gtk_desktop.hpp"

#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gtk/alpha_visual.hpp"
#include "platform/gtk/compositor_hints.hpp"
#include "platform/gtk/gtk_window.hpp"
#include "platform/gtk/layer_shell.hpp"

namespace pw::gtk {

using platform::WindowHandle;

namespace {

// X11 coordinates are 16-bit; the game may park windows far off the screen.
constexpr int kMaxCoordinate = 30000;
// Sway maps an X11 window's surface a moment after the X server maps the window, and centres
// it then: the lamp is placed again should it land elsewhere, a few times at most.
constexpr int kCompositorPlacements = 3;

}  // namespace

GtkDesktop::Window* GtkDesktop::find(WindowHandle w) {
    auto it = windows_.find(w);
    return it == windows_.end() ? nullptr : it->second.get();
}

WindowHandle GtkDesktop::create_window(std::string_view name, platform::WindowRole role,
                                       platform::WindowEvents events) {
    const bool lamp = role == platform::WindowRole::Lamp;
    auto win = std::make_unique<Window>();
    win->desktop = this;
    win->handle = next_handle_++;
    win->role = role;
    win->events = std::move(events);
    if (wayland_) win->sprite = stage_->add(lamp);
    // On Wayland a sprite is the stage's alone.
    if (!wayland_ || lamp) make_widget(*win, name);
    contents_changed(*win);
    const WindowHandle h = win->handle;
    windows_.emplace(h, std::move(win));
    return h;
}

// The GTK window of an X11 window, or of the lamp's own surface on Wayland.
void GtkDesktop::make_widget(Window& win, std::string_view name) {
    const bool lamp = win.role == platform::WindowRole::Lamp;
    win.widget.reset(gtk_window_new(lamp ? GTK_WINDOW_TOPLEVEL : GTK_WINDOW_POPUP));
    GtkWidget* widget = win.widget.get();
    GtkWindow* window = GTK_WINDOW(widget);
    gtk_window_set_title(window, std::string(name).c_str());
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
    gtk_window_set_accept_focus(window, lamp);
    gtk_window_set_focus_on_map(window, FALSE);  // the game asks for the focus itself
    gtk_widget_set_app_paintable(widget, TRUE);
    gtk_widget_add_events(widget,
                          GDK_BUTTON_PRESS_MASK | GDK_FOCUS_CHANGE_MASK | GDK_STRUCTURE_MASK);
    g_signal_connect(widget, "button-press-event", G_CALLBACK(on_button_press), &win);
    g_signal_connect(widget, "focus-in-event", G_CALLBACK(on_focus_in), &win);
    g_signal_connect(widget, "map-event", G_CALLBACK(on_map), &win);
    // The window manager's close does not unload a game window.
    g_signal_connect(widget, "delete-event", G_CALLBACK(gtk_true), nullptr);
    if (wayland_) {
        make_layer_window(win);
    } else {
        if (lamp) gtk_window_set_keep_above(window, TRUE);
        declare_window_type(window, lamp);
        // Start where the window's record says it is, so a first move to (0, 0) is not
        // skipped.
        const Metrics& m = metrics();
        gtk_window_move(window, m.origin_x, m.origin_y);
        gtk_window_resize(window, 1, 1);
        use_alpha_visual(widget);
        win.alpha = gdk_visual_get_depth(gtk_widget_get_visual(widget)) == 32;
        gtk_widget_realize(widget);  // so a shape can be set before the window is first shown
        // The X server paints the window from its background; GTK never draws it.
        GdkWindow* native = gtk_widget_get_window(widget);
        gdk_window_add_filter(native, on_x_event, &win);
        gdk_window_freeze_updates(native);
        change_event_mask(native, 0, ExposureMask);  // nor need the server send its exposures
        turn_compositor_effects_off(widget);
        // Not on a Wayland session, which has no X compositor and may ignore the empty shape.
        // The lamp too where no window manager would take it in and let it go again.
        if (has_shape_ && !shapes_may_be_ignored_ && (!lamp || !window_manager_running(widget)))
            show_to_compositors_unseen(widget);
    }
}

void GtkDesktop::destroy_window(WindowHandle w) {
    Window* win = find(w);
    if (win && stage_) stage_->remove(win->sprite);
    windows_.erase(w);  // destroys the X window with its shape and contents
}

void GtkDesktop::set_geometry(WindowHandle w, int left, int top, int width, int height) {
    Window* win = find(w);
    if (!win) return;
    left = std::clamp(left, -kMaxCoordinate, kMaxCoordinate);
    top = std::clamp(top, -kMaxCoordinate, kMaxCoordinate);
    width = std::clamp(width, 0, kMaxCoordinate);
    height = std::clamp(height, 0, kMaxCoordinate);
    GtkWindow* window = GTK_WINDOW(win->widget.get());
    if (left != win->left || top != win->top) {
        if (wayland_) {
            stage_->place(win->sprite, left, top);
            if (window) place_layer_surface(window, left, top);
        } else {
            const Metrics& m = metrics();
            gtk_window_move(window, left + m.origin_x, top + m.origin_y);
        }
        win->left = left;
        win->top = top;
        if (win->viewable) place_lamp(*win);
    }
    if (width != win->width || height != win->height) {
        // X has no empty windows: a window of no size is simply not shown. The request pins
        // the size (a GtkWindow would otherwise keep its default one).
        const int w_px = std::max(width, 1), h_px = std::max(height, 1);
        win->width = width;
        win->height = height;
        win->contents.width = w_px;
        win->contents.height = h_px;
        contents_changed(*win);
        show_contents(*win);
        if (window) {
            gtk_widget_set_size_request(win->widget.get(), w_px, h_px);
            gtk_window_resize(window, w_px, h_px);
            gtk_work_ = true;
        }
        if (win->shape || wayland_) send_shape(*win);  // what the old size cut off may show now
        update_mapping(*win);
    }
}

void GtkDesktop::place_lamp(Window& win) {
    if (!under_sway_ || win.role != platform::WindowRole::Lamp) return;
    win.compositor_placements = kCompositorPlacements;
    ask_sway_to_place(win);
}

void GtkDesktop::lamp_configured(Window& win, int x, int y) {
    if (win.compositor_placements == 0) return;
    const Metrics& m = metrics();
    if (x != win.left + m.origin_x || y != win.top + m.origin_y) ask_sway_to_place(win);
}

void GtkDesktop::ask_sway_to_place(Window& win) {
    --win.compositor_placements;
    const Metrics& m = metrics();
    sway_move_x11_window(GDK_WINDOW_XID(gtk_widget_get_window(win.widget.get())),
                         win.left + m.origin_x, win.top + m.origin_y);
}

void GtkDesktop::update_mapping(Window& win) {
    const bool show = win.visible && win.width > 0 && win.height > 0;
    if (show == win.mapped) return;
    win.mapped = show;
    if (show) show_contents(win);
    if (wayland_) {
        stage_->show(win.sprite, show);
        if (!win.widget) return;
    }
    gtk_work_ = true;
    if (show) {
        gtk_widget_show(win.widget.get());
        if (wayland_) return;
        // GDK maps a window with no background and sets it again afterwards, unpainted.
        GdkWindow* native = gtk_widget_get_window(win.widget.get());
        XClearWindow(GDK_WINDOW_XDISPLAY(native), GDK_WINDOW_XID(native));
    } else {
        gtk_widget_hide(win.widget.get());
        win.viewable = false;
    }
}

void GtkDesktop::set_visible(WindowHandle w, bool visible) {
    Window* win = find(w);
    if (!win || win->visible == visible) return;
    win->visible = visible;
    update_mapping(*win);
    // On Wayland the stage raises what it shows.
    if (visible && win->mapped && !wayland_)
        gdk_window_raise(gtk_widget_get_window(win->widget.get()));
}

bool GtkDesktop::set_shape(WindowHandle w, std::optional<Region> shape) {
    Window* win = find(w);
    if (!win || !has_shape_) return false;
    if (shape == win->shape) return true;
    win->shape = std::move(shape);
    if (cut_to_silhouette(*win)) contents_changed(*win);
    show_contents(*win);  // never the old picture in the new outline
    send_shape(*win);
    return true;
}

// Straight to the X server: GDK would unset the window's background around the change and
// then repaint the newly shown parts itself. Only the part of the outline inside the window
// goes: the credits' outline is thousands of rectangles of which a sixth show at a time, and
// X's coordinates are 16-bit.
void GtkDesktop::send_shape(Window& win) {
    // On Wayland the stage clicks a sprite where it shows; the lamp's own surface is cut here.
    if (wayland_) {
        if (win.widget) set_input_silhouette(win.widget.get(), win.shape, win.width, win.height);
        return;
    }
    GdkWindow* native = gtk_widget_get_window(win.widget.get());
    Display* x = GDK_WINDOW_XDISPLAY(native);
    if (!win.shape) {
        XShapeCombineMask(x, GDK_WINDOW_XID(native), ShapeBounding, 0, 0, None, ShapeSet);
        return;
    }
    Region inside = Region::rectangle({0, 0, win.width, win.height});
    inside.combine(inside, *win.shape, CombineMode::And);
    // The X server counts in device pixels: the game's outline, enlarged like the window.
    const int scale = gdk_window_get_scale_factor(native);
    std::vector<XRectangle> rects;
    for (const Rect& r : inside.rects())
        rects.push_back({static_cast<short>(r.left * scale), static_cast<short>(r.top * scale),
                         static_cast<unsigned short>((r.right - r.left) * scale),
                         static_cast<unsigned short>((r.bottom - r.top) * scale)});
    XShapeCombineRectangles(x, GDK_WINDOW_XID(native), ShapeBounding, 0, 0, rects.data(),
                            static_cast<int>(rects.size()), ShapeSet, YXBanded);
}

void GtkDesktop::contents_changed(Window& win) {
    win.contents_pending = true;
    contents_pending_ = true;
}

bool GtkDesktop::cut_to_silhouette(const Window& win) const {
    // With an alpha channel the picture is transparent outside the silhouette, for
    // compositors that ignore shapes. A window of one colour is spared that (its outline
    // changes every frame) except on a Wayland session, where such compositors live.
    // On Wayland the silhouette is only ever cut this way.
    if (wayland_) return true;
    const bool solid = !win.contents.picture && win.contents.items.empty();
    return win.alpha && (!solid || shapes_may_be_ignored_);
}

void GtkDesktop::show_contents(Window& win) {
    if (!win.contents_pending) return;
    win.contents_pending = false;
    if (cut_to_silhouette(win))
        win.contents.silhouette = win.shape;
    else
        win.contents.silhouette.reset();
    if (win.shown == win.contents) return;
    if (wayland_)
        stage_->paint(win.sprite, win.contents, stage_->scale(), painter_);
    else
        win.background = backgrounds_.apply(gtk_widget_get_window(win.widget.get()), win.contents);
    win.shown = win.contents;
}

void GtkDesktop::show_all_contents() {
    if (!contents_pending_) return;
    contents_pending_ = false;
    for (auto& [h, win] : windows_)
        show_contents(*win);
}

void GtkDesktop::set_background(WindowHandle w, platform::Colour colour) {
    Window* win = find(w);
    if (!win || win->contents.back == colour) return;
    win->contents.back = colour;
    contents_changed(*win);
}

void GtkDesktop::set_picture(WindowHandle w, platform::Picture picture) {
    Window* win = find(w);
    if (!win || win->contents.picture == picture) return;
    win->contents.picture = std::move(picture);
    contents_changed(*win);
}

void GtkDesktop::set_items(WindowHandle w, std::vector<platform::DrawItem> items) {
    Window* win = find(w);
    if (!win || win->contents.items == items) return;
    win->contents.items = std::move(items);
    contents_changed(*win);
}

}  // namespace pw::gtk
