#include "platform/gtk/silhouette_cut.hpp"

#include <cstdint>
#include <vector>

#include "platform/region_pixman.hpp"

namespace pw::gtk {
namespace {

// The region in device pixels, as pixman keeps it: the region itself at scale 1.
class DeviceRegion {
  public:
    DeviceRegion(const Region& region, int scale) {
        if (scale == 1) {
            // pixman's API takes non-const regions even where it only reads them.
            region_ = const_cast<pixman_region32_t*>(&pixman_region(region));
            return;
        }
        std::vector<pixman_box32_t> boxes;
        for (const Rect& r : region.rects())
            boxes.push_back({r.left * scale, r.top * scale, r.right * scale, r.bottom * scale});
        pixman_region32_init_rects(&scaled_, boxes.data(), static_cast<int>(boxes.size()));
        region_ = &scaled_;
    }
    ~DeviceRegion() {
        if (region_ == &scaled_) pixman_region32_fini(&scaled_);
    }
    DeviceRegion(const DeviceRegion&) = delete;
    DeviceRegion& operator=(const DeviceRegion&) = delete;
    pixman_region32_t* get() { return region_; }

  private:
    pixman_region32_t scaled_;
    pixman_region32_t* region_ = nullptr;
};

}  // namespace

Region visible_area(const WindowContents& contents) {
    Region area = Region::rectangle({0, 0, contents.width, contents.height});
    if (contents.silhouette) area.combine(area, *contents.silhouette, CombineMode::And);
    return area;
}

bool same_but_silhouette(const WindowContents& a, const WindowContents& b) {
    return a.width == b.width && a.height == b.height && a.back == b.back &&
           a.picture == b.picture && a.items == b.items;
}

void clear_region(pixman_image_t* to, const Region& region, int scale) {
    if (region.empty()) return;
    DeviceRegion device(region, scale);
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(device.get(), &count);
    const pixman_color_t transparent{0, 0, 0, 0};
    pixman_image_fill_boxes(PIXMAN_OP_SRC, to, &transparent, count, boxes);
}

void copy_region(pixman_image_t* from, pixman_image_t* to, const Region& region, int scale) {
    if (region.empty()) return;
    DeviceRegion device(region, scale);
    const pixman_box32_t* extents = pixman_region32_extents(device.get());
    pixman_image_set_clip_region32(to, device.get());
    pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, to, extents->x1, extents->y1, 0, 0,
                             extents->x1, extents->y1, extents->x2 - extents->x1,
                             extents->y2 - extents->y1);
    pixman_image_set_clip_region32(to, nullptr);
}

PixmanImagePtr pixman_view(cairo_surface_t* image) {
    cairo_surface_flush(image);
    return PixmanImagePtr(pixman_image_create_bits(
        PIXMAN_a8r8g8b8, cairo_image_surface_get_width(image),
        cairo_image_surface_get_height(image),
        reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(image)),
        cairo_image_surface_get_stride(image)));
}

}  // namespace pw::gtk
