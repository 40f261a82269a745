// The Linux desktop, with GTK 3. On X11 every game window is a real X11 window cut to its
// silhouette with the X Shape extension: sprites are override-redirect popups that never take
// the focus, the lamp window is a small managed, undecorated, keep-above window that does. On
// Wayland the game's windows are the sub-surfaces of one layer surface (wayland_stage.hpp).
// Window events, timers included, reach the game only inside pump() (and inside the menu's and
// dialog's own loops), never from inside GTK's callbacks, so a game handler may unload windows,
// open menus or end the program without unwinding through C code.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>

#include "platform/cairo/painter.hpp"
#include "platform/focus_manners.hpp"
#include "platform/gtk/gobject_ptr.hpp"
#include "platform/gtk/key_events.hpp"
#include "platform/gtk/key_watcher.hpp"
#include "platform/gtk/sway_ipc.hpp"
#include "platform/gtk/usable_area.hpp"
#include "platform/gtk/wayland_stage.hpp"
#include "platform/gtk/window_background.hpp"
#include "platform/platform.hpp"

namespace pw::gtk {

// There is no X display to play on.
struct NoDisplay : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// True on a Wayland session, where the game runs through XWayland and sees keys only while
// one of its own windows has the focus.
bool wayland_session();

// The display system GTK plays on. On Wayland the game's windows are the sub-surfaces of one
// layer surface over the output (wayland_stage.hpp), and the lamp also has a transparent layer
// surface of its own that takes the keyboard and the lamp's clicks.
enum class DisplaySystem { X11, Wayland };

class GtkDesktop final : public platform::Desktop {
  public:
    // Opens the X display (through XWayland on a Wayland session) or the Wayland display;
    // throws NoDisplay.
    explicit GtkDesktop(DisplaySystem system = DisplaySystem::X11);
    ~GtkDesktop() override;
    GtkDesktop(const GtkDesktop&) = delete;
    GtkDesktop& operator=(const GtkDesktop&) = delete;

    std::uint32_t time_ms() override;
    void sleep_ms(std::uint32_t ms) override;
    void rest(std::uint32_t ms) override;
    std::uint16_t key_state(platform::Key key) override;
    platform::ScreenMetrics screen() override;

    platform::WindowHandle create_window(std::string_view name, platform::WindowRole role,
                                         platform::WindowEvents events) override;
    void destroy_window(platform::WindowHandle w) override;
    void set_geometry(platform::WindowHandle w, int left, int top, int width, int height) override;
    void set_visible(platform::WindowHandle w, bool visible) override;
    bool set_shape(platform::WindowHandle w, std::optional<Region> shape) override;
    void set_background(platform::WindowHandle w, platform::Colour colour) override;
    void set_picture(platform::WindowHandle w, platform::Picture picture) override;
    void set_items(platform::WindowHandle w, std::vector<platform::DrawItem> items) override;
    void focus(platform::WindowHandle w) override;
    int text_width(const platform::Font& font, std::string_view text) override;

    platform::TimerId add_timer(std::uint32_t interval_ms, std::function<void()> handler) override;
    void remove_timer(platform::TimerId id) override;
    void pump() override;

    std::optional<int> popup_menu(const std::vector<platform::MenuItem>& items) override;
    int run_dialog(const platform::DialogLayout& dialog) override;
    void message_box(std::string_view text, std::string_view caption) override;

    void set_last_words(std::function<void(int exit_code)> last_words) override;

  private:
    struct Window;
    struct Timer {
        SourcePtr source;
        std::function<void()> handler;
        bool due = false;      // a tick came since the handler last ran
        bool running = false;  // the handler is on the stack
    };
    // A mouse-down or focus change waiting for the next pump.
    struct Input {
        platform::WindowHandle window = 0;
        bool focus = false;
        int button = 0, x = 0, y = 0;
        EventPtr event;  // the native click, for a popup menu it may open
    };
    struct Metrics {
        platform::ScreenMetrics screen;
        int origin_x = 0, origin_y = 0;  // the primary monitor's top-left on the X screen
        gint64 read_at = 0;              // monotonic microseconds
    };

    static gboolean on_button_press(GtkWidget* widget, GdkEventButton* event, gpointer data);
    static gboolean on_focus_in(GtkWidget* widget, GdkEventFocus* event, gpointer data);
    static gboolean on_map(GtkWidget* widget, GdkEvent* event, gpointer data);
    // Wayland: the window's picture, keys, and the keyboard's coming and going.
    static void on_stage_scale(GObject* stage, GParamSpec* property, gpointer data);
    static gboolean on_key(GtkWidget* widget, GdkEventKey* event, gpointer data);
    static gboolean on_focus_out(GtkWidget* widget, GdkEventFocus* event, gpointer data);
    static gboolean on_timeout(gpointer data);
    // The game windows' X events GTK need not see never reach it.
    static GdkFilterReturn on_x_event(GdkXEvent* xevent, GdkEvent* event, gpointer data);
    static GdkFilterReturn on_root_event(GdkXEvent* xevent, GdkEvent* event, gpointer data);
    static void forget_metrics(gpointer data);
    static gboolean on_end_signal(gpointer data);

    // SIGTERM, SIGINT and SIGHUP end the game as a quit does, from the pump.
    struct EndSignal {
        GtkDesktop* desktop;
        int number;
        guint source = 0;
    };
    void watch_end_signals();
    // Ends the program with 128 + the signal's number once one has come.
    void end_if_signalled() const;

    Window* find(platform::WindowHandle w);
    void make_widget(Window& win, std::string_view name);
    // Wayland's counterparts of the X11 steps.
    void make_layer_window(Window& win);
    void make_stage();
    void pressed_on_stage(const Window& win, const Stage::Press& press);
    void take_keyboard(Window& win);
    int wayland_work_area_bottom(const GdkRectangle& output);
    int wayland_connection() const;
    const Metrics& metrics();
    void watch_work_area();
    void update_mapping(Window& win);
    void take_focus(Window& win);
    // Where the compositor places managed windows itself (sway), asks it to put the lamp
    // where the game has it: when it is shown or moved, and again should the compositor,
    // mapping it a moment later, put it elsewhere (a few times, not against a user who moves
    // it).
    void place_lamp(Window& win);
    void lamp_configured(Window& win, int x, int y);
    void ask_sway_to_place(Window& win);
    // A window's new contents reach the X server before anything that shows more of it (a
    // new outline, size or mapping), or at the latest when the frame ends (sleep or pump).
    void contents_changed(Window& win);
    void send_shape(Window& win);
    void show_contents(Window& win);
    void show_all_contents();
    bool game_has_focus() const;
    bool cut_to_silhouette(const Window& win) const;
    // The display's connection, and whether events from it may wait.
    int connection() const;
    bool events_waiting();
    // Sends what Xlib holds to the server.
    void flush();
    // Microseconds until the first game timer falls due (0: one is due now), at most `limit`.
    gint64 until_next_timer(gint64 limit) const;
    void iterate_pending();
    void deliver_input();
    void run_due_timers();
    // Runs the main loop until `open` turns false, with timers firing as they fall due.
    void modal_loop(const bool& open);
    GtkWindow* lamp_window();

    const bool wayland_;
    GdkDisplay* display_ = nullptr;
    bool has_shape_ = false;
    int xi_opcode_ = -1;  // the X input extension's, to know its key events
    std::array<unsigned long, 2> work_area_atoms_{};  // root properties that move the work area
    const bool shapes_may_be_ignored_ = wayland_session();  // by the compositor, on XWayland
    const bool under_sway_ = !wayland_ && shapes_may_be_ignored_ && under_sway();
    KeyWatcher keys_;                          // X11
    KeyEvents key_events_;                     // Wayland
    std::unique_ptr<UsableArea> usable_area_;  // Wayland
    std::unique_ptr<Stage> stage_;             // Wayland
    paint::Painter painter_;
    BackgroundPainter backgrounds_;
    std::optional<Metrics> metrics_;
    platform::FocusManners focus_manners_;
    std::map<platform::WindowHandle, std::unique_ptr<Window>> windows_;
    platform::WindowHandle next_handle_ = 1;
    std::map<platform::TimerId, Timer> timers_;
    platform::TimerId next_timer_ = 1;
    std::vector<Input> inputs_;
    const GdkEvent* current_click_ = nullptr;  // while a mouse-down is being delivered
    bool gtk_work_ = false;                    // GTK has layout to do
    bool contents_pending_ = false;            // some window's new contents are not shown yet
    gint64 last_iteration_ = 0;                // monotonic microseconds
    gint64 last_connection_check_ = 0;         // monotonic microseconds
    gint64 last_flush_ = 0;                    // monotonic microseconds
    std::array<EndSignal, 3> end_signals_{};
    int signalled_ = 0;                    // the number of an ending signal that came
    std::function<void(int)> last_words_;  // when the X server goes away
};

}  // namespace pw::gtk
