// A window's picture cut to its silhouette, kept up to date without painting it again: where
// only the silhouette changed (the enemy shots', debris' and petals' windows every frame, the
// staff roll's outline), a buffer is brought up to date by clearing what the silhouette left
// and copying in, from the picture painted whole, what it gained.
#pragma once

#include <cairo.h>
#include <pixman.h>

#include <memory>

#include "platform/gtk/window_background.hpp"
#include "platform/region.hpp"

namespace pw::gtk {

// Where a window of `contents` shows: its silhouette within its size.
Region visible_area(const WindowContents& contents);

// Whether two pictures differ in their silhouettes alone.
bool same_but_silhouette(const WindowContents& a, const WindowContents& b);

// Makes `to` transparent in `region`, given in logical pixels of `scale` device pixels each.
void clear_region(pixman_image_t* to, const Region& region, int scale);

// Copies `from` into `to` in `region`; the two images are the same size.
void copy_region(pixman_image_t* from, pixman_image_t* to, const Region& region, int scale);

// A pixman view of a cairo image's pixels (ARGB32, premultiplied: the same format).
struct PixmanImageReleaser {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using PixmanImagePtr = std::unique_ptr<pixman_image_t, PixmanImageReleaser>;
PixmanImagePtr pixman_view(cairo_surface_t* image);

}  // namespace pw::gtk
