// The Wayland desktop's stage: one transparent layer surface over the whole output, whose
// sub-surfaces are the game's windows. Layer-shell cannot stack one layer surface above
// another (sway puts each newly shown one at the bottom of its layer), but sub-surfaces stack
// exactly: a window shown goes to the top, as on X11, and every change of a frame reaches the
// compositor in one commit. Each sprite paints into buffers of its own, reused once the
// compositor lets go of them, so a full-screen window of a few dots costs what its dots cost.
// Each sprite is clicked only on its silhouette (the compositor finds the sprite under the
// pointer), and elsewhere clicks reach the windows below.
#pragma once

#include <gtk/gtk.h>
#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/cairo/painter.hpp"
#include "platform/gtk/gobject_ptr.hpp"
#include "platform/gtk/shm_buffer.hpp"
#include "platform/gtk/window_background.hpp"
#include "platform/region.hpp"

namespace pw::gtk {

class Stage {
  public:
    using SpriteId = unsigned;

    ~Stage();
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // A press of a mouse button on a sprite, in the sprite's pixels.
    struct Press {
        SpriteId sprite;
        unsigned button;  // Linux's code: BTN_LEFT ...
        int x, y;
        std::uint32_t time;
    };
    // Makes the stage on GDK's Wayland display and shows it; throws when the compositor
    // lacks what it needs. `on_press` hears of every press on a sprite.
    Stage(GdkDisplay* display, std::function<void(const Press&)> on_press);
    // The stage's GTK window, which menus open from.
    GtkWidget* widget() const { return widget_.get(); }
    // Device pixels to the logical pixel on the stage's output.
    int scale() const;

    // A new sprite, hidden. One `above` the others stays above them, and its clicks go to a
    // surface of its own (the lamp's, which takes the keyboard).
    SpriteId add(bool above);
    void remove(SpriteId id);
    // The sprite's top-left corner on the output, in logical pixels.
    void place(SpriteId id, int left, int top);
    // Showing a sprite puts it on top of the others (below those above them).
    void show(SpriteId id, bool shown);
    // Shows `contents` at `scale` from a buffer the compositor does not hold; where the buffer
    // last held the same picture in another silhouette, only the silhouettes' change is made.
    // The sprite is clicked where it shows (the lamp never: its clicks go to its surface).
    void paint(SpriteId id, const WindowContents& contents, int scale, paint::Painter& painter);
    // Sends what changed since the last commit, all of it at once.
    void commit();

  private:
    struct Sprite {
        wl_surface* surface = nullptr;
        wl_subsurface* subsurface = nullptr;
        bool above = false;
        bool shown = false;
        int left = 0, top = 0;
        std::vector<std::unique_ptr<ShmBuffer>> buffers;
        ShmBuffer* current = nullptr;  // the last painted, shown while the sprite is
        // The picture painted whole, without its silhouette.
        paint::SurfacePtr whole_image;
        PixmanImagePtr whole;
        std::optional<WindowContents> whole_of;
        int whole_scale = 0;
        unsigned picture = 0;  // counts the pictures painted whole
    };

    ShmBuffer& free_buffer(Sprite& sprite, int width, int height);
    void paint_whole(Sprite& sprite, const WindowContents& contents, int scale,
                     paint::Painter& painter);
    void raise(SpriteId id);
    // Clicks reach the sprite in `area`, in its own pixels.
    void set_input_region(Sprite& sprite, const Region& area);
    wl_surface* stage_surface() const;
    // The seat's pointer, for the presses on sprites (GDK hears only of its own surfaces).
    void drop_pointer();
    static void on_capabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
    static void on_enter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                         wl_fixed_t x, wl_fixed_t y);
    static void on_leave(void* data, wl_pointer* pointer, std::uint32_t serial,
                         wl_surface* surface);
    static void on_motion(void* data, wl_pointer* pointer, std::uint32_t time, wl_fixed_t x,
                          wl_fixed_t y);
    static void on_button(void* data, wl_pointer* pointer, std::uint32_t serial, std::uint32_t time,
                          std::uint32_t button, std::uint32_t state);
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;

    wl_compositor* compositor_ = nullptr;
    wl_subcompositor* subcompositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::uint32_t seat_version_ = 0;
    wl_pointer* pointer_ = nullptr;
    std::optional<SpriteId> pointed_;  // the sprite under the pointer
    int pointer_x_ = 0, pointer_y_ = 0;
    std::function<void(const Press&)> on_press_;
    WidgetPtr widget_;
    std::map<SpriteId, Sprite> sprites_;
    std::vector<SpriteId> stack_;  // bottom to top
    SpriteId next_id_ = 1;
    bool changed_ = false;  // the sprites' state waits for the stage's commit
};

}  // namespace pw::gtk
