#include "platform/gtk/gtk_desktop.hpp"

#include <X11/extensions/XInput2.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "platform/display_scale.hpp"
#include "platform/gtk/alpha_visual.hpp"
#include "platform/gtk/compositor_hints.hpp"
#include "platform/gtk/modal_widgets.hpp"
#include "platform/gtk/window_scale.hpp"
#include "platform/gtk/work_area.hpp"
#include "platform/scope_exit.hpp"

namespace pw::gtk {

using platform::WindowHandle;

namespace {

// X11 coordinates are 16-bit; the game may park windows far off the screen.
constexpr int kMaxCoordinate = 30000;
// The metrics are read again when the root window says the work area or the list of clients
// changed, when the monitors change, and otherwise this often.
constexpr gint64 kMetricsLifetimeUs = 10'000'000;
// A pump lets everything pending through, but a pathological source that is always ready
// must not keep it from returning.
constexpr int kMaxIterationsPerPump = 100;
constexpr int kCaptionHeight = 19;
// The game pumps many times a frame. A pump goes through GLib's main loop only when something
// may be waiting there: a due timer, GTK work that a change of ours asked for, or, at this
// interval, anything else.
constexpr gint64 kQuietPumpUs = 250'000;
// Clicks and other X events wait at most this long for a pump to look for them.
constexpr gint64 kEventCheckUs = 4'000;
// What a frame changes waits at most this long in Xlib's buffer if the frame runs long.
constexpr gint64 kFlushIntervalUs = 10'000;

GdkDisplay* open_display() {
    gdk_set_allowed_backends("x11");  // shapes, raw keys and override-redirect are X11's
    if (!gtk_init_check(nullptr, nullptr)) {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name)
            throw NoDisplay("no X display to play on (DISPLAY is not set); use --headless");
        throw NoDisplay(std::string("cannot open the X display ") + name + "; use --headless");
    }
    GdkDisplay* display = gdk_display_get_default();
    choose_window_scale(display);
    return display;
}

// The X server went away under the running game: nothing can be shown or cleaned up any
// more, so say so in one line and end, as without a display at all. Xlib ends the program
// itself should this return.
int on_lost_display(Display* x) {
    std::fprintf(stderr, "petalwing: lost the connection to the X display %s\n", DisplayString(x));
    std::_Exit(1);
}

bool display_has_shape(GdkDisplay* display) {
    int event = 0, error = 0;
    return XShapeQueryExtension(gdk_x11_display_get_xdisplay(display), &event, &error);
}

// The X input extension's code in its events, or -1 without the extension.
int xi_opcode(GdkDisplay* display) {
    int opcode = -1, event = 0, error = 0;
    const bool present = XQueryExtension(gdk_x11_display_get_xdisplay(display), "XInputExtension",
                                         &opcode, &event, &error);
    return present ? opcode : -1;
}

bool is_key_event(const XEvent& e, int xi_opcode) {
    if (e.type == KeyPress || e.type == KeyRelease) return true;
    const XGenericEventCookie& c = e.xcookie;
    return e.type == GenericEvent && c.extension == xi_opcode &&
           (c.evtype == XI_KeyPress || c.evtype == XI_KeyRelease);
}

// Changes which events the server sends this program about `window`, keeping GDK's others.
void change_event_mask(GdkWindow* window, long add, long remove) {
    Display* x = GDK_WINDOW_XDISPLAY(window);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(x, GDK_WINDOW_XID(window), &attributes))
        XSelectInput(x, GDK_WINDOW_XID(window), (attributes.your_event_mask | add) & ~remove);
}

int mouse_button_code(guint button) {
    switch (button) {
        case 1:
            return platform::kLeftButton;
        case 2:
            return platform::kMiddleButton;
        case 3:
            return platform::kRightButton;
        default:
            return 0;
    }
}

}  // namespace

bool wayland_session() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return (wayland && *wayland) || (session && std::string(session) == "wayland");
}

struct GtkDesktop::Window {
    GtkDesktop* desktop = nullptr;
    WindowHandle handle = 0;
    platform::WindowRole role{};
    platform::WindowEvents events;
    WidgetPtr widget;
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
    std::optional<std::pair<int, int>> notified_size;  // as the server last told GTK of it

    // No handler may see this window half destroyed.
    ~Window() { g_signal_handlers_disconnect_by_data(widget.get(), this); }
};

GtkDesktop::GtkDesktop()
    : display_(open_display()),
      has_shape_(display_has_shape(display_)),
      xi_opcode_(xi_opcode(display_)),
      keys_(gdk_display_get_name(display_)),
      backgrounds_(painter_) {
    painter_.set_dpi(platform::kLogicalDpi);
    XSetIOErrorHandler(on_lost_display);  // after GDK's own, which ends without a word
    watch_work_area();
}

// Reading the work area asks the server about every client's struts: forty round trips on a
// desktop of twenty windows. A window manager announces on the root window every change that
// matters (a client or panel coming or going, a new work area), so the metrics wait for that.
void GtkDesktop::watch_work_area() {
    GdkScreen* screen = gdk_display_get_default_screen(display_);
    GdkWindow* root = gdk_screen_get_root_window(screen);
    change_event_mask(root, PropertyChangeMask | StructureNotifyMask, 0);
    work_area_atoms_ = {gdk_x11_get_xatom_by_name_for_display(display_, "_NET_WORKAREA"),
                        gdk_x11_get_xatom_by_name_for_display(display_, "_NET_CLIENT_LIST")};
    gdk_window_add_filter(root, on_root_event, this);
    g_signal_connect_swapped(screen, "monitors-changed", G_CALLBACK(forget_metrics), this);
}

GdkFilterReturn GtkDesktop::on_root_event(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    const auto& e = *static_cast<const XEvent*>(xevent);
    auto* self = static_cast<GtkDesktop*>(data);
    const auto& atoms = self->work_area_atoms_;
    if (e.type == ConfigureNotify ||
        (e.type == PropertyNotify &&
         std::find(atoms.begin(), atoms.end(), e.xproperty.atom) != atoms.end()))
        self->metrics_.reset();
    return GDK_FILTER_CONTINUE;
}

void GtkDesktop::forget_metrics(gpointer data) {
    static_cast<GtkDesktop*>(data)->metrics_.reset();
}

GtkDesktop::~GtkDesktop() {
    GdkScreen* screen = gdk_display_get_default_screen(display_);
    gdk_window_remove_filter(gdk_screen_get_root_window(screen), on_root_event, this);
    g_signal_handlers_disconnect_by_data(screen, this);
    for (auto& [id, timer] : timers_)
        g_source_destroy(timer.source.get());
    windows_.clear();
    gdk_display_flush(display_);
}

std::uint32_t GtkDesktop::time_ms() {
    return static_cast<std::uint32_t>(g_get_monotonic_time() / 1000);
}

void GtkDesktop::sleep_ms(std::uint32_t ms) {
    show_all_contents();
    flush();  // what the frame changed shows while we sleep
    g_usleep(static_cast<gulong>(ms) * 1000);
    keys_.invalidate();
}

// The title and the boss's entrance wait in turns of a millisecond; waking a thousand times a
// second for nothing cost the game 2% of a core on an idle title. After the turn's own sleep
// the rest goes on while neither X connection has anything and no timer is due.
void GtkDesktop::rest(std::uint32_t ms) {
    sleep_ms(ms);
    Display* x = gdk_x11_display_get_xdisplay(display_);
    if (gtk_work_ || XEventsQueued(x, QueuedAlready) > 0 || keys_.has_queued_events()) return;
    const gint64 longest =
        static_cast<gint64>(kLongestRestMs - std::min(ms, kLongestRestMs)) * 1000;
    const gint64 wait_us = until_next_timer(longest);
    if (wait_us <= 0) return;
    std::array<pollfd, 2> connections{
        {{ConnectionNumber(x), POLLIN, 0}, {keys_.connection(), POLLIN, 0}}};
    const nfds_t count = connections[1].fd < 0 ? 1 : 2;
    poll(connections.data(), count, static_cast<int>((wait_us + 999) / 1000));
    keys_.invalidate();
}

gint64 GtkDesktop::until_next_timer(gint64 limit) const {
    const gint64 now = g_get_monotonic_time();
    gint64 wait = limit;
    for (const auto& [id, t] : timers_) {
        if (t.due) return 0;
        const gint64 ready = g_source_get_ready_time(t.source.get());
        if (ready >= 0) wait = std::min(wait, ready - now);
    }
    return std::max<gint64>(wait, 0);
}

std::uint16_t GtkDesktop::key_state(platform::Key key) {
    return keys_.state(key);
}

const GtkDesktop::Metrics& GtkDesktop::metrics() {
    const gint64 now = g_get_monotonic_time();
    if (metrics_ && now - metrics_->read_at < kMetricsLifetimeUs) return *metrics_;
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display_);
    if (!monitor) monitor = gdk_display_get_monitor(display_, 0);
    GdkRectangle geometry{0, 0, 1024, 768}, work = geometry;
    int scale = 1;
    if (monitor) {
        gdk_monitor_get_geometry(monitor, &geometry);
        gdk_monitor_get_workarea(monitor, &work);
        scale = gdk_monitor_get_scale_factor(monitor);
    }
    const int bottom = primary_work_area_bottom(display_, geometry, scale, work.y + work.height);
    Metrics m;
    m.read_at = now;
    m.origin_x = geometry.x;
    m.origin_y = geometry.y;
    m.screen.width_px = geometry.width;
    m.screen.height_px = geometry.height;
    // GDK's pixels are the logical ones: the game sees 96 dpi whatever the screen's scale.
    m.screen.twips_per_pixel_x = m.screen.twips_per_pixel_y = platform::kLogicalTwipsPerPixel;
    m.screen.cy_caption = kCaptionHeight;
    // Full-screen client height plus one caption is the bottom of the work area.
    m.screen.cy_fullscreen = bottom - geometry.y - kCaptionHeight;
    metrics_ = m;
    return *metrics_;
}

platform::ScreenMetrics GtkDesktop::screen() {
    return metrics().screen;
}

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
    win->widget.reset(gtk_window_new(lamp ? GTK_WINDOW_TOPLEVEL : GTK_WINDOW_POPUP));
    GtkWidget* widget = win->widget.get();
    GtkWindow* window = GTK_WINDOW(widget);
    gtk_window_set_title(window, std::string(name).c_str());
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
    gtk_window_set_accept_focus(window, lamp);
    gtk_window_set_focus_on_map(window, FALSE);  // the game asks for the focus itself
    if (lamp) gtk_window_set_keep_above(window, TRUE);
    declare_window_type(window, lamp);
    gtk_widget_set_app_paintable(widget, TRUE);
    gtk_widget_add_events(widget,
                          GDK_BUTTON_PRESS_MASK | GDK_FOCUS_CHANGE_MASK | GDK_STRUCTURE_MASK);
    g_signal_connect(widget, "button-press-event", G_CALLBACK(on_button_press), win.get());
    g_signal_connect(widget, "focus-in-event", G_CALLBACK(on_focus_in), win.get());
    g_signal_connect(widget, "map-event", G_CALLBACK(on_map), win.get());
    // The window manager's close does not unload a game window.
    g_signal_connect(widget, "delete-event", G_CALLBACK(gtk_true), nullptr);
    // Start where the window's record says it is, so a first move to (0, 0) is not skipped.
    const Metrics& m = metrics();
    gtk_window_move(window, m.origin_x, m.origin_y);
    gtk_window_resize(window, 1, 1);
    use_alpha_visual(widget);
    win->alpha = gdk_visual_get_depth(gtk_widget_get_visual(widget)) == 32;
    gtk_widget_realize(widget);  // so a shape can be set before the window is first shown
    // The X server paints the window from its background; GTK never draws it.
    GdkWindow* native = gtk_widget_get_window(widget);
    gdk_window_add_filter(native, on_x_event, win.get());
    gdk_window_freeze_updates(native);
    change_event_mask(native, 0, ExposureMask);  // nor need the server send its exposures
    contents_changed(*win);
    turn_compositor_effects_off(widget);
    // Not on a Wayland session, which has no X compositor and may ignore the empty shape.
    if (!lamp && has_shape_ && !shapes_may_be_ignored_) show_to_compositors_unseen(widget);
    const WindowHandle h = win->handle;
    windows_.emplace(h, std::move(win));
    return h;
}

void GtkDesktop::destroy_window(WindowHandle w) {
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
        const Metrics& m = metrics();
        gtk_window_move(window, left + m.origin_x, top + m.origin_y);
        win->left = left;
        win->top = top;
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
        gtk_widget_set_size_request(win->widget.get(), w_px, h_px);
        gtk_window_resize(window, w_px, h_px);
        gtk_work_ = true;
        if (win->shape) send_shape(*win);  // what the old size cut off may show now
        update_mapping(*win);
    }
}

void GtkDesktop::update_mapping(Window& win) {
    const bool show = win.visible && win.width > 0 && win.height > 0;
    if (show == win.mapped) return;
    win.mapped = show;
    gtk_work_ = true;
    if (show) {
        show_contents(win);
        gtk_widget_show(win.widget.get());
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
    if (visible && win->mapped) gdk_window_raise(gtk_widget_get_window(win->widget.get()));
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

void GtkDesktop::focus(WindowHandle w) {
    Window* win = find(w);
    if (!win || win->role != platform::WindowRole::Lamp) return;  // sprites never take it
    if (!focus_manners_.may_take(game_has_focus())) return;
    if (win->viewable)
        take_focus(*win);
    else
        win->wants_focus = true;
}

void GtkDesktop::take_focus(Window& win) {
    win.wants_focus = false;
    GdkWindow* native = gtk_widget_get_window(win.widget.get());
    gdk_window_focus(native, gdk_x11_get_server_time(native));
}

bool GtkDesktop::game_has_focus() const {
    return std::any_of(windows_.begin(), windows_.end(), [](const auto& entry) {
        return gtk_window_is_active(GTK_WINDOW(entry.second->widget.get()));
    });
}

int GtkDesktop::text_width(const platform::Font& font, std::string_view text) {
    return painter_.text_width(font, text);
}

gboolean GtkDesktop::on_button_press(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* win = static_cast<Window*>(data);
    const int button = mouse_button_code(event->button);
    if (event->type != GDK_BUTTON_PRESS || button == 0) return TRUE;
    win->desktop->inputs_.push_back(
        Input{win->handle, false, button, static_cast<int>(std::floor(event->x)),
              static_cast<int>(std::floor(event->y)),
              EventPtr(gdk_event_copy(reinterpret_cast<GdkEvent*>(event)))});
    return TRUE;
}

gboolean GtkDesktop::on_focus_in(GtkWidget*, GdkEventFocus*, gpointer data) {
    auto* win = static_cast<Window*>(data);
    win->desktop->inputs_.push_back(Input{win->handle, true, 0, 0, 0, nullptr});
    return FALSE;
}

// What of a game window's X events GTK need not see:
// - exposures: the window's background is its picture, and what the server exposes it paints
//   itself;
// - the server's confirmation of every move, three a frame in play: GDK sets the place of a
//   window it moves without the window manager at once, and GTK wants only new sizes (every
//   new size still reaches it); a managed window may be moved by the window manager, so its
//   notices all go through;
// - keys: the game reads the keyboard on a connection of its own, and a held key repeats 25
//   times a second, each time through GDK (on a desktop without a window manager with a
//   round trip to the server) and GTK. Only an open menu or dialog, which holds GTK's grab,
//   takes them, through the window that has the focus.
GdkFilterReturn GtkDesktop::on_x_event(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    const auto& e = *static_cast<const XEvent*>(xevent);
    auto* win = static_cast<Window*>(data);
    if (e.type == Expose || e.type == GraphicsExpose) return GDK_FILTER_REMOVE;
    if (is_key_event(e, win->desktop->xi_opcode_))
        return gtk_grab_get_current() ? GDK_FILTER_CONTINUE : GDK_FILTER_REMOVE;
    if (e.type != ConfigureNotify) return GDK_FILTER_CONTINUE;
    const XConfigureEvent& c = e.xconfigure;
    if (!c.override_redirect || c.event != c.window) return GDK_FILTER_CONTINUE;
    const std::pair size{c.width, c.height};
    if (win->notified_size == size) return GDK_FILTER_REMOVE;
    win->notified_size = size;
    return GDK_FILTER_CONTINUE;
}

gboolean GtkDesktop::on_map(GtkWidget*, GdkEvent*, gpointer data) {
    auto* win = static_cast<Window*>(data);
    if (!win->mapped) return FALSE;  // the mapping at birth that nobody saw
    win->viewable = true;
    if (win->wants_focus) win->desktop->take_focus(*win);
    return FALSE;
}

gboolean GtkDesktop::on_timeout(gpointer data) {
    static_cast<Timer*>(data)->due = true;
    return G_SOURCE_CONTINUE;
}

platform::TimerId GtkDesktop::add_timer(std::uint32_t interval_ms, std::function<void()> handler) {
    const platform::TimerId id = next_timer_++;
    Timer& timer = timers_[id];
    timer.handler = std::move(handler);
    timer.source.reset(g_timeout_source_new(std::max<std::uint32_t>(interval_ms, 1)));
    g_source_set_callback(timer.source.get(), on_timeout, &timer, nullptr);
    g_source_attach(timer.source.get(), nullptr);
    return id;
}

void GtkDesktop::remove_timer(platform::TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    g_source_destroy(it->second.source.get());
    timers_.erase(it);
}

bool GtkDesktop::x_events_waiting() {
    Display* x = gdk_x11_display_get_xdisplay(display_);
    if (XEventsQueued(x, QueuedAlready) > 0) return true;
    // The server answers every move with an event; looking for them at every one of the
    // frame's pumps would cost a system call each.
    const gint64 now = g_get_monotonic_time();
    if (now - last_connection_check_ < kEventCheckUs) return false;
    last_connection_check_ = now;
    pollfd connection{ConnectionNumber(x), POLLIN, 0};
    return poll(&connection, 1, 0) > 0;
}

void GtkDesktop::iterate_pending() {
    // X events are handed to GTK all in one go: a main-loop pass for each would cost a
    // poll and two reads of the connection.
    if (x_events_waiting())
        for (int i = 0; i < kMaxIterationsPerPump; ++i) {
            GdkEvent* event = gdk_display_get_event(display_);
            if (!event) break;
            gtk_main_do_event(event);
            gdk_event_free(event);
        }
    const gint64 now = g_get_monotonic_time();
    if (!gtk_work_ && now - last_iteration_ < kQuietPumpUs && until_next_timer(1) > 0) return;
    gtk_work_ = false;
    for (int i = 0; i < kMaxIterationsPerPump && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    last_iteration_ = g_get_monotonic_time();
}

void GtkDesktop::deliver_input() {
    if (inputs_.empty()) return;
    std::vector<Input> inputs;
    inputs.swap(inputs_);
    for (Input& input : inputs) {
        Window* win = find(input.window);
        if (!win) continue;  // unloaded by an earlier handler
        if (input.focus) {
            if (auto handler = win->events.got_focus) handler();
            continue;
        }
        auto handler = win->events.mouse_down;  // the handler may unload its window
        if (!handler) continue;
        current_click_ = input.event.get();
        ScopeExit done{[this] { current_click_ = nullptr; }};
        handler(input.button, input.x, input.y);
    }
}

void GtkDesktop::run_due_timers() {
    std::vector<platform::TimerId> due;
    for (const auto& [id, t] : timers_)
        if (t.due && !t.running) due.push_back(id);
    for (platform::TimerId id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end() || !it->second.due || it->second.running) continue;
        // Ticks that came while nobody pumped coalesce into this one.
        it->second.due = false;
        it->second.running = true;
        auto handler = it->second.handler;  // the handler may remove its own timer
        ScopeExit done{[this, id] {
            if (auto t = timers_.find(id); t != timers_.end()) t->second.running = false;
        }};
        handler();
    }
}

void GtkDesktop::pump() {
    show_all_contents();
    keys_.invalidate();
    iterate_pending();
    deliver_input();
    run_due_timers();
    // Xlib reads the connection at every flush: a frame's changes go out when it sleeps, or
    // after a while should a frame run long.
    if (g_get_monotonic_time() - last_flush_ >= kFlushIntervalUs) flush();
}

void GtkDesktop::flush() {
    gdk_display_flush(display_);
    last_flush_ = g_get_monotonic_time();
}

void GtkDesktop::modal_loop(const bool& open) {
    while (open) {
        g_main_context_iteration(nullptr, TRUE);
        keys_.invalidate();
        run_due_timers();
    }
}

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
