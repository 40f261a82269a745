#include "platform/gtk/wayland_stage.hpp"

#include <gdk/gdkwayland.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "platform/gtk/alpha_visual.hpp"
#include "platform/gtk/contents_image.hpp"
#include "platform/gtk/layer_shell.hpp"

namespace pw::gtk {
namespace {

// A damage list longer than this goes as its bounds: the compositor repaints little more.
constexpr std::size_t kMostDamageRects = 32;
// How long the stage may take to appear before the game goes on regardless.
constexpr guint kMapWaitMs = 3000;

// Version 3 has what the stage needs of the pointer: its surface, place and buttons.
constexpr std::uint32_t kSeatVersion = 3;

struct Globals {
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
    wl_registry* registry = nullptr;  // to bind the seat with, on GDK's queue
    std::uint32_t seat_name = 0, seat_version = 0;
};

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_subcompositor_interface.name) == 0)
        globals->subcompositor = static_cast<wl_subcompositor*>(
            wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        globals->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat_name) {
        globals->seat_name = name;
        globals->seat_version = version;
    }
}

void on_global_remove(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener{on_global, on_global_remove};

// Asks the compositor for the globals on a queue of our own, so that GDK's events are not
// dispatched from here; the objects then join GDK's queue, which reads the buffers' releases.
Globals bind_globals(wl_display* display) {
    Globals globals;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    globals.registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(globals.registry, &kRegistryListener, &globals);
    wl_display_roundtrip_queue(display, queue);
    for (auto* proxy :
         {reinterpret_cast<wl_proxy*>(globals.subcompositor),
          reinterpret_cast<wl_proxy*>(globals.shm), reinterpret_cast<wl_proxy*>(globals.registry)})
        if (proxy) wl_proxy_set_queue(proxy, nullptr);
    wl_event_queue_destroy(queue);
    return globals;
}

void damage(wl_surface* surface, const std::optional<Region>& change) {
    if (!change) {
        wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
        return;
    }
    if (change->rect_count() > kMostDamageRects) {
        const Rect b = change->bounds();
        wl_surface_damage(surface, b.left, b.top, b.right - b.left, b.bottom - b.top);
        return;
    }
    for (const Rect& r : change->rects())
        wl_surface_damage(surface, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

const wl_seat_listener Stage::kSeatListener{Stage::on_capabilities,
                                            [](void*, wl_seat*, const char*) {}};
// Events after `axis` come only to pointers of later versions than the stage binds.
const wl_pointer_listener Stage::kPointerListener{
    Stage::on_enter,
    Stage::on_leave,
    Stage::on_motion,
    Stage::on_button,
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr};

Stage::Stage(GdkDisplay* display, std::function<void(const Press&)> on_press)
    : compositor_(gdk_wayland_display_get_wl_compositor(display)), on_press_(std::move(on_press)) {
    const Globals globals = bind_globals(gdk_wayland_display_get_wl_display(display));
    subcompositor_ = globals.subcompositor;
    shm_ = globals.shm;
    if (!subcompositor_ || !shm_) {
        wl_registry_destroy(globals.registry);
        if (subcompositor_) wl_subcompositor_destroy(subcompositor_);
        if (shm_) wl_shm_destroy(shm_);
        throw std::runtime_error("the Wayland compositor offers no sub-surfaces or shared memory");
    }
    if (globals.seat_name) {
        seat_version_ = std::min(globals.seat_version, kSeatVersion);
        seat_ = static_cast<wl_seat*>(wl_registry_bind(globals.registry, globals.seat_name,
                                                       &wl_seat_interface, seat_version_));
        wl_seat_add_listener(seat_, &kSeatListener, this);
    }
    wl_registry_destroy(globals.registry);
    widget_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    GtkWindow* window = GTK_WINDOW(widget_.get());
    gtk_window_set_title(window, "Petalwing");
    gtk_window_set_decorated(window, FALSE);
    gtk_widget_set_app_paintable(widget_.get(), TRUE);
    make_layer_surface(window, "petalwing");
    cover_output(window);
    use_alpha_visual(widget_.get());
    g_signal_connect(widget_.get(), "draw", G_CALLBACK(draw_nothing), nullptr);
    // The stage itself takes no clicks: its sprites do, each on its silhouette.
    gtk_widget_realize(widget_.get());
    RegionPtr nowhere(cairo_region_create());
    gdk_window_input_shape_combine_region(gtk_widget_get_window(widget_.get()), nowhere.get(), 0,
                                          0);
    gtk_widget_show(widget_.get());
    // The sprites show only once the stage is mapped: wait for it, a while at most.
    bool mapped = false, late = false;
    const gulong on_map = g_signal_connect_swapped(widget_.get(), "map-event",
                                                   G_CALLBACK(+[](bool* flag) -> gboolean {
                                                       *flag = true;
                                                       return FALSE;
                                                   }),
                                                   &mapped);
    const guint timeout = g_timeout_add(
        kMapWaitMs,
        +[](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &late);
    while (!mapped && !late)
        g_main_context_iteration(nullptr, TRUE);
    if (!late) g_source_remove(timeout);
    g_signal_handler_disconnect(widget_.get(), on_map);
}

void Stage::drop_pointer() {
    if (!pointer_) return;
    // Before version 3 a pointer has no request of its own to go with.
    if (seat_version_ >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer_);
    else
        wl_pointer_destroy(pointer_);
    pointer_ = nullptr;
    pointed_.reset();
}

Stage::~Stage() {
    drop_pointer();
    if (seat_) wl_seat_destroy(seat_);
    for (auto& [id, sprite] : sprites_) {
        sprite.buffers.clear();
        wl_subsurface_destroy(sprite.subsurface);
        wl_surface_destroy(sprite.surface);
    }
    widget_.reset();
    wl_shm_destroy(shm_);
    wl_subcompositor_destroy(subcompositor_);
}

int Stage::scale() const {
    return gtk_widget_get_scale_factor(widget_.get());
}

wl_surface* Stage::stage_surface() const {
    return gdk_wayland_window_get_wl_surface(gtk_widget_get_window(widget_.get()));
}

Stage::SpriteId Stage::add(bool above) {
    const SpriteId id = next_id_++;
    Sprite& sprite = sprites_[id];
    sprite.above = above;
    sprite.surface = wl_compositor_create_surface(compositor_);
    sprite.subsurface =
        wl_subcompositor_get_subsurface(subcompositor_, sprite.surface, stage_surface());
    set_input_region(sprite, Region());
    stack_.push_back(id);  // a new sub-surface starts at the top
    return id;
}

void Stage::remove(SpriteId id) {
    auto it = sprites_.find(id);
    if (it == sprites_.end()) return;
    Sprite& sprite = it->second;
    sprite.buffers.clear();
    wl_subsurface_destroy(sprite.subsurface);
    wl_surface_destroy(sprite.surface);
    changed_ = true;
    if (pointed_ == id) pointed_.reset();
    sprites_.erase(it);
    std::erase(stack_, id);
}

void Stage::place(SpriteId id, int left, int top) {
    Sprite& sprite = sprites_.at(id);
    sprite.left = left;
    sprite.top = top;
    wl_subsurface_set_position(sprite.subsurface, left, top);
    changed_ = true;
}

void Stage::show(SpriteId id, bool shown) {
    Sprite& sprite = sprites_.at(id);
    if (sprite.shown == shown) return;
    sprite.shown = shown;
    if (!shown) {
        wl_surface_attach(sprite.surface, nullptr, 0, 0);
    } else if (sprite.current) {
        sprite.current->attach(sprite.surface);
        damage(sprite.surface, std::nullopt);
    }
    if (shown) raise(id);
    wl_surface_commit(sprite.surface);
    changed_ = true;
}

void Stage::raise(SpriteId id) {
    Sprite& sprite = sprites_.at(id);
    std::erase(stack_, id);
    const auto lowest_above = std::find_if(stack_.begin(), stack_.end(),
                                           [&](SpriteId s) { return sprites_.at(s).above; });
    if (!sprite.above && lowest_above != stack_.end()) {
        wl_subsurface_place_below(sprite.subsurface, sprites_.at(*lowest_above).surface);
        stack_.insert(lowest_above, id);
        return;
    }
    wl_subsurface_place_above(
        sprite.subsurface, stack_.empty() ? stage_surface() : sprites_.at(stack_.back()).surface);
    stack_.push_back(id);
}

void Stage::set_input_region(Sprite& sprite, const Region& area) {
    wl_region* region = wl_compositor_create_region(compositor_);
    for (const Rect& r : area.rects())
        wl_region_add(region, r.left, r.top, r.right - r.left, r.bottom - r.top);
    wl_surface_set_input_region(sprite.surface, region);
    wl_region_destroy(region);
    wl_surface_commit(sprite.surface);
    changed_ = true;
}

ShmBuffer& Stage::free_buffer(Sprite& sprite, int width, int height) {
    for (auto& buffer : sprite.buffers)
        if (!buffer->busy() && buffer->width() == width && buffer->height() == height)
            return *buffer;
    // Buffers of an old size go once the compositor is done with them.
    std::erase_if(sprite.buffers, [&](const auto& buffer) {
        return !buffer->busy() && buffer.get() != sprite.current &&
               (buffer->width() != width || buffer->height() != height);
    });
    return *sprite.buffers.emplace_back(std::make_unique<ShmBuffer>(shm_, width, height));
}

void Stage::paint(SpriteId id, const WindowContents& contents, int scale, paint::Painter& painter) {
    Sprite& sprite = sprites_.at(id);
    const int width = contents.width * scale, height = contents.height * scale;
    if (width <= 0 || height <= 0) return;  // a window never given a size is never shown
    paint_whole(sprite, contents, scale, painter);
    ShmBuffer& buffer = free_buffer(sprite, width, height);
    Region shows = visible_area(contents);
    if (buffer.picture == sprite.picture) {
        Region left, gained;
        left.combine(buffer.shows, shows, CombineMode::Diff);
        gained.combine(shows, buffer.shows, CombineMode::Diff);
        clear_region(buffer.pixels(), left, scale);
        copy_region(sprite.whole.get(), buffer.pixels(), gained, scale);
    } else {
        clear_region(buffer.pixels(), Region::rectangle({0, 0, contents.width, contents.height}),
                     scale);
        copy_region(sprite.whole.get(), buffer.pixels(), shows, scale);
    }
    // The compositor repaints what differs from the picture it shows now.
    std::optional<Region> change;
    if (sprite.current && sprite.current->picture == sprite.picture) {
        change.emplace();
        change->combine(sprite.current->shows, shows, CombineMode::Xor);
    }
    // The lamp's clicks go to its own surface, which lies below or above the stage.
    if (!sprite.above && (!sprite.current || !(sprite.current->shows == shows)))
        set_input_region(sprite, shows);
    buffer.picture = sprite.picture;
    buffer.shows = std::move(shows);
    sprite.current = &buffer;
    wl_surface_set_buffer_scale(sprite.surface, scale);
    if (!sprite.shown) return;
    buffer.attach(sprite.surface);
    damage(sprite.surface, change);
    wl_surface_commit(sprite.surface);
    changed_ = true;
}

// The picture without its silhouette, painted once for as long as only its silhouette changes.
void Stage::paint_whole(Sprite& sprite, const WindowContents& contents, int scale,
                        paint::Painter& painter) {
    if (sprite.whole && sprite.whole_scale == scale && sprite.whole_of &&
        same_but_silhouette(*sprite.whole_of, contents))
        return;
    WindowContents whole = contents;
    whole.silhouette.reset();
    paint::SurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, contents.width * scale,
                                                       contents.height * scale));
    {
        paint::ContextPtr cr(cairo_create(image.get()));
        paint_contents(cr.get(), whole, scale, painter);
    }
    sprite.whole_image = std::move(image);
    sprite.whole = pixman_view(sprite.whole_image.get());
    sprite.whole_of = std::move(whole);
    sprite.whole_scale = scale;
    ++sprite.picture;
}

void Stage::commit() {
    if (!changed_) return;
    changed_ = false;
    wl_surface_commit(stage_surface());
}

void Stage::on_capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
    auto& stage = *static_cast<Stage*>(data);
    const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (pointer && !stage.pointer_) {
        stage.pointer_ = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(stage.pointer_, &kPointerListener, &stage);
    } else if (!pointer) {
        stage.drop_pointer();
    }
}

void Stage::on_enter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x,
                     wl_fixed_t y) {
    auto& stage = *static_cast<Stage*>(data);
    stage.pointed_.reset();
    for (const auto& [id, sprite] : stage.sprites_)
        if (sprite.surface == surface) stage.pointed_ = id;
    stage.pointer_x_ = wl_fixed_to_int(x);
    stage.pointer_y_ = wl_fixed_to_int(y);
}

void Stage::on_leave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
    static_cast<Stage*>(data)->pointed_.reset();
}

void Stage::on_motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto& stage = *static_cast<Stage*>(data);
    stage.pointer_x_ = wl_fixed_to_int(x);
    stage.pointer_y_ = wl_fixed_to_int(y);
}

void Stage::on_button(void* data, wl_pointer*, std::uint32_t, std::uint32_t time,
                      std::uint32_t button, std::uint32_t state) {
    auto& stage = *static_cast<Stage*>(data);
    if (state != WL_POINTER_BUTTON_STATE_PRESSED || !stage.pointed_) return;
    stage.on_press_({*stage.pointed_, button, stage.pointer_x_, stage.pointer_y_, time});
}

}  // namespace pw::gtk
