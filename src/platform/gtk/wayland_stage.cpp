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

struct Globals {
    wl_subcompositor* subcompositor = nullptr;
    wl_shm* shm = nullptr;
};

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_subcompositor_interface.name) == 0)
        globals->subcompositor = static_cast<wl_subcompositor*>(
            wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        globals->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
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
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    for (auto* proxy : {reinterpret_cast<wl_proxy*>(globals.subcompositor),
                        reinterpret_cast<wl_proxy*>(globals.shm)})
        if (proxy) wl_proxy_set_queue(proxy, nullptr);
    wl_event_queue_destroy(queue);
    return globals;
}

// What differs between a buffer holding `held` and one holding `next` when only the
// silhouette does (in play the enemy shots' and debris' full-screen windows change nothing
// else every frame): the two silhouettes. Nothing when more differs: then all of it.
std::optional<Region> silhouette_change(const WindowContents& held, const WindowContents& next) {
    if (!held.silhouette || !next.silhouette) return std::nullopt;
    WindowContents same = next;
    same.silhouette = held.silhouette;
    if (!(same == held)) return std::nullopt;
    Region change;
    change.combine(*held.silhouette, *next.silhouette, CombineMode::Or);
    return change;
}

void clip_to(cairo_t* cr, const Region& region, int scale) {
    for (const Rect& r : region.rects())
        cairo_rectangle(cr, r.left * scale, r.top * scale, (r.right - r.left) * scale,
                        (r.bottom - r.top) * scale);
    cairo_clip(cr);
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

Stage::Stage(GdkDisplay* display) : compositor_(gdk_wayland_display_get_wl_compositor(display)) {
    const Globals globals = bind_globals(gdk_wayland_display_get_wl_display(display));
    subcompositor_ = globals.subcompositor;
    shm_ = globals.shm;
    if (!subcompositor_ || !shm_) {
        if (subcompositor_) wl_subcompositor_destroy(subcompositor_);
        if (shm_) wl_shm_destroy(shm_);
        throw std::runtime_error("the Wayland compositor offers no sub-surfaces or shared memory");
    }
    widget_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    GtkWindow* window = GTK_WINDOW(widget_.get());
    gtk_window_set_title(window, "Petalwing");
    gtk_window_set_decorated(window, FALSE);
    gtk_widget_set_app_paintable(widget_.get(), TRUE);
    gtk_widget_add_events(widget_.get(), GDK_BUTTON_PRESS_MASK);
    make_layer_surface(window, "petalwing");
    cover_output(window);
    use_alpha_visual(widget_.get());
    g_signal_connect(widget_.get(), "draw", G_CALLBACK(draw_nothing), nullptr);
    gtk_widget_show(widget_.get());
    clicks_changed_ = true;  // nothing takes clicks until a sprite shows
    // The sprites show only once the stage is mapped: wait for it, a while at most.
    bool mapped = false, late = false;
    const gulong on_map = g_signal_connect_swapped(
        widget_.get(), "map-event", G_CALLBACK(+[](bool* flag) { *flag = true; }), &mapped);
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

Stage::~Stage() {
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
    // The stage takes the clicks, for the sprite under the pointer.
    wl_region* none = wl_compositor_create_region(compositor_);
    wl_surface_set_input_region(sprite.surface, none);
    wl_region_destroy(none);
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
    clicks_changed_ = clicks_changed_ || sprite.shown;
    changed_ = true;
    sprites_.erase(it);
    std::erase(stack_, id);
}

void Stage::place(SpriteId id, int left, int top) {
    Sprite& sprite = sprites_.at(id);
    sprite.left = left;
    sprite.top = top;
    wl_subsurface_set_position(sprite.subsurface, left, top);
    changed_ = true;
    clicks_changed_ = clicks_changed_ || sprite.shown;
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
    clicks_changed_ = true;
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

void Stage::set_click_area(SpriteId id, Region area) {
    Sprite& sprite = sprites_.at(id);
    if (sprite.click_area == area) return;
    sprite.click_area = std::move(area);
    clicks_changed_ = clicks_changed_ || sprite.shown;
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
    ShmBuffer& buffer = free_buffer(sprite, width, height);
    {
        paint::ContextPtr cr(cairo_create(buffer.image()));
        if (buffer.holds)
            if (const auto change = silhouette_change(*buffer.holds, contents))
                clip_to(cr.get(), *change, scale);
        paint_contents(cr.get(), contents, scale, painter);
    }
    // The compositor repaints what differs from the picture it shows now.
    const auto shown_change = sprite.current && sprite.current->holds &&
                                      sprite.current->width() == width &&
                                      sprite.current->height() == height
                                  ? silhouette_change(*sprite.current->holds, contents)
                                  : std::nullopt;
    buffer.holds = contents;
    sprite.current = &buffer;
    wl_surface_set_buffer_scale(sprite.surface, scale);
    if (!sprite.shown) return;
    buffer.attach(sprite.surface);
    damage(sprite.surface, shown_change);
    wl_surface_commit(sprite.surface);
    changed_ = true;
}

void Stage::send_input_region() {
    Region caught, elsewhere;
    for (SpriteId id : stack_) {
        const Sprite& sprite = sprites_.at(id);
        if (!sprite.shown || sprite.click_area.empty()) continue;
        Region area = sprite.click_area;
        area.offset(sprite.left, sprite.top);
        Region& into = sprite.above ? elsewhere : caught;
        into.combine(into, area, CombineMode::Or);
    }
    caught.combine(caught, elsewhere, CombineMode::Diff);
    wl_region* region = wl_compositor_create_region(compositor_);
    for (const Rect& r : caught.rects())
        wl_region_add(region, r.left, r.top, r.right - r.left, r.bottom - r.top);
    wl_surface_set_input_region(stage_surface(), region);
    wl_region_destroy(region);
}

void Stage::commit() {
    if (clicks_changed_) send_input_region();
    if (!changed_ && !clicks_changed_) return;
    changed_ = clicks_changed_ = false;
    wl_surface_commit(stage_surface());
}

std::optional<Stage::SpriteId> Stage::hit(int x, int y) const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
        const Sprite& sprite = sprites_.at(*it);
        if (sprite.shown && !sprite.above &&
            sprite.click_area.contains(x - sprite.left, y - sprite.top))
            return *it;
    }
    return std::nullopt;
}

}  // namespace pw::gtk
