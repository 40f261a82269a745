// The desktop's start and end, and the screen's metrics as the game sees them.
#include "platform/gtk/gtk_desktop.hpp"

#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>

#include <csignal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/display_scale.hpp"
#include "platform/gtk/gtk_window.hpp"
#include "platform/gtk/window_scale.hpp"
#include "platform/gtk/work_area.hpp"

namespace pw::gtk {

namespace {

// The metrics are read again when the root window says the work area or the list of clients
// changed, when the monitors change, and otherwise this often.
constexpr gint64 kMetricsLifetimeUs = 10'000'000;
// The height of a window caption the game allows for above the work area's bottom.
constexpr int kCaptionHeight = 19;

GdkDisplay* open_display(DisplaySystem system) {
    if (system == DisplaySystem::Wayland) {
        gdk_set_allowed_backends("wayland");
        if (!gtk_init_check(nullptr, nullptr)) {
            const char* name = std::getenv("WAYLAND_DISPLAY");
            throw NoDisplay(std::string("cannot open the Wayland display ") +
                            (name && *name ? name : "wayland-0") + "; use --headless");
        }
        return gdk_display_get_default();
    }
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

// Xlib's handler takes no closure: the running desktop's last words.
const std::function<void(int)>* lost_display_words = nullptr;

// The X server went away under the running game: nothing can be shown or cleaned up any
// more, so say so in one line, let the trace write what it holds, and end, as without a
// display at all. Xlib ends the program itself should this return.
int on_lost_display(Display* x) {
    std::fprintf(stderr, "petalwing: lost the connection to the X display %s\n", DisplayString(x));
    if (lost_display_words && *lost_display_words) (*lost_display_words)(1);
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

}  // namespace

void change_event_mask(GdkWindow* window, long add, long remove) {
    Display* x = GDK_WINDOW_XDISPLAY(window);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(x, GDK_WINDOW_XID(window), &attributes))
        XSelectInput(x, GDK_WINDOW_XID(window), (attributes.your_event_mask | add) & ~remove);
}

bool wayland_session() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return (wayland && *wayland) || (session && std::string(session) == "wayland");
}

GtkDesktop::GtkDesktop(DisplaySystem system)
    : wayland_(system == DisplaySystem::Wayland),
      display_(open_display(system)),
      has_shape_(wayland_ || display_has_shape(display_)),
      xi_opcode_(wayland_ ? -1 : xi_opcode(display_)),
      keys_(wayland_ ? KeyWatcher() : KeyWatcher(gdk_display_get_name(display_))),
      backgrounds_(painter_) {
    painter_.set_dpi(platform::kLogicalDpi);
    watch_end_signals();
    if (wayland_) {
        usable_area_ = std::make_unique<UsableArea>([this] { metrics_.reset(); });
        try {
            make_stage();
        } catch (const std::runtime_error& e) {
            throw NoDisplay(e.what());
        }
        return;
    }
    lost_display_words = &last_words_;
    XSetIOErrorHandler(on_lost_display);  // after GDK's own, which ends without a word
    watch_work_area();
}

void GtkDesktop::set_last_words(std::function<void(int exit_code)> last_words) {
    last_words_ = std::move(last_words);
}

void GtkDesktop::watch_end_signals() {
    const int numbers[] = {SIGTERM, SIGINT, SIGHUP};
    for (std::size_t i = 0; i < end_signals_.size(); ++i) {
        EndSignal& s = end_signals_[i];
        s = {this, numbers[i]};
        s.source = g_unix_signal_add(s.number, on_end_signal, &s);
    }
}

gboolean GtkDesktop::on_end_signal(gpointer data) {
    const auto* s = static_cast<const EndSignal*>(data);
    s->desktop->signalled_ = s->number;
    return G_SOURCE_CONTINUE;
}

void GtkDesktop::end_if_signalled() const {
    if (signalled_) platform::end_program(128 + signalled_);
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
    for (const EndSignal& s : end_signals_)
        if (s.source) g_source_remove(s.source);
    lost_display_words = nullptr;
    GdkScreen* screen = gdk_display_get_default_screen(display_);
    if (!wayland_)
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

std::uint16_t GtkDesktop::key_state(platform::Key key) {
    return wayland_ ? key_events_.state(key) : keys_.state(key);
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
    const int bottom =
        wayland_ ? wayland_work_area_bottom(geometry)
                 : primary_work_area_bottom(display_, geometry, scale, work.y + work.height);
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

int GtkDesktop::text_width(const platform::Font& font, std::string_view text) {
    return painter_.text_width(font, text);
}

}  // namespace pw::gtk
