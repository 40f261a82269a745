// iconscale: the game's pixel-art icon at another size for the desktop's icon theme, each
// pixel repeated (or dropped) as it falls, never blurred.
//
//   iconscale <icon.png> <size> <output.png>
#include <cairo.h>

#include <charconv>
#include <iostream>
#include <memory>
#include <string_view>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: iconscale <icon.png> <size> <output.png>\n";
        return 2;
    }
    const std::string_view size_text = argv[2];
    int size = 0;
    const auto [end, ec] =
        std::from_chars(size_text.data(), size_text.data() + size_text.size(), size);
    if (ec != std::errc() || end != size_text.data() + size_text.size() || size < 1 ||
        size > 1024) {
        std::cerr << "iconscale: the size is 1 to 1024 pixels, not '" << size_text << "'\n";
        return 2;
    }

    using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
    Surface icon(cairo_image_surface_create_from_png(argv[1]), &cairo_surface_destroy);
    if (cairo_surface_status(icon.get()) != CAIRO_STATUS_SUCCESS) {
        std::cerr << "iconscale: " << argv[1] << ": cannot read the PNG\n";
        return 1;
    }
    const int w = cairo_image_surface_get_width(icon.get());
    const int h = cairo_image_surface_get_height(icon.get());

    Surface out(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size),
                &cairo_surface_destroy);
    Context cr(cairo_create(out.get()), &cairo_destroy);
    cairo_scale(cr.get(), static_cast<double>(size) / w, static_cast<double>(size) / h);
    cairo_set_source_surface(cr.get(), icon.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_NEAREST);
    cairo_paint(cr.get());
    cr.reset();

    if (cairo_surface_write_to_png(out.get(), argv[3]) != CAIRO_STATUS_SUCCESS) {
        std::cerr << "iconscale: cannot write " << argv[3] << "\n";
        return 1;
    }
    return 0;
}
