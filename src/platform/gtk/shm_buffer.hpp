// A picture in memory shared with the Wayland compositor: the game cuts a sprite's picture
// into it with pixman and hands it over; the compositor says when it has let go of it again.
#pragma once

#include <pixman.h>
#include <wayland-client.h>

#include <cstddef>

#include "platform/gtk/silhouette_cut.hpp"
#include "platform/region.hpp"

namespace pw::gtk {

class ShmBuffer {
  public:
    // A premultiplied ARGB buffer of `width` x `height` device pixels (neither 0); the
    // program ends with a message when the memory cannot be had.
    ShmBuffer(wl_shm* shm, int width, int height);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // Until the compositor releases it, the buffer must not be painted.
    bool busy() const { return busy_; }
    // Hands the buffer to the compositor through `surface`'s next commit.
    void attach(wl_surface* surface);
    // The pixels (premultiplied ARGB).
    pixman_image_t* pixels() const { return pixels_image_.get(); }

    // Which of its sprite's pictures the buffer holds (0: none) and where it shows, so that
    // the next picture need change only what differs.
    unsigned picture = 0;
    Region shows;

  private:
    static void on_release(void* data, wl_buffer* buffer);
    static const wl_buffer_listener kListener;

    int width_, height_;
    std::size_t size_;
    void* pixels_ = nullptr;
    wl_buffer* buffer_ = nullptr;
    PixmanImagePtr pixels_image_;
    bool busy_ = false;
};

}  // namespace pw::gtk
