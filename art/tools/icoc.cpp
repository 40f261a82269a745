// icoc: turns the game's icon PNG into the .ico file the Windows program carries as its
// resource. One 32-bit image with its transparency mask, the format every Windows version
// reads.
//
//   icoc <icon.png> <output.ico>
#include <cairo.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <memory>
#include <vector>

namespace {

class Writer {
  public:
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: icoc <icon.png> <output.ico>\n";
        return 2;
    }
    using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    Surface png(cairo_image_surface_create_from_png(argv[1]), &cairo_surface_destroy);
    if (cairo_surface_status(png.get()) != CAIRO_STATUS_SUCCESS) {
        std::cerr << "icoc: " << argv[1] << ": cannot read the PNG\n";
        return 1;
    }
    cairo_surface_flush(png.get());
    const int w = cairo_image_surface_get_width(png.get());
    const int h = cairo_image_surface_get_height(png.get());
    if (w < 1 || h < 1 || w > 256 || h > 256) {
        std::cerr << "icoc: " << argv[1] << ": an icon is 1 to 256 pixels a side\n";
        return 1;
    }
    const unsigned char* data = cairo_image_surface_get_data(png.get());
    const int stride = cairo_image_surface_get_stride(png.get());
    const auto pixel = [&](int x, int y) {
        return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
    };

    const std::uint32_t mask_stride = ((static_cast<std::uint32_t>(w) + 31) / 32) * 4;
    const std::uint32_t image_bytes =
        40 + static_cast<std::uint32_t>(w * h * 4) + mask_stride * static_cast<std::uint32_t>(h);
    Writer out;
    out.u16(0);  // icon directory: reserved, type 1 (icon), one image
    out.u16(1);
    out.u16(1);
    out.u8(static_cast<std::uint8_t>(w & 0xFF));  // 256 is written as 0
    out.u8(static_cast<std::uint8_t>(h & 0xFF));
    out.u8(0);  // no palette
    out.u8(0);
    out.u16(1);   // planes
    out.u16(32);  // bits per pixel
    out.u32(image_bytes);
    out.u32(6 + 16);  // the image follows the directory

    out.u32(40);  // BITMAPINFOHEADER; the height counts the colour rows and the mask rows
    out.u32(static_cast<std::uint32_t>(w));
    out.u32(static_cast<std::uint32_t>(2 * h));
    out.u16(1);
    out.u16(32);
    out.u32(0);  // BI_RGB
    out.u32(image_bytes - 40);
    for (int i = 0; i < 4; ++i)
        out.u32(0);
    // Rows bottom-up. The art's alpha is 0 or 255, so cairo's premultiplied pixels are the
    // plain colours.
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x)
            out.u32(pixel(x, y));
    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(mask_stride, 0);
        for (int x = 0; x < w; ++x)
            if ((pixel(x, y) >> 24) == 0) row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
        for (std::uint8_t b : row)
            out.u8(b);
    }

    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.bytes().data()),
               static_cast<std::streamsize>(out.bytes().size()));
    if (!file) {
        std::cerr << "icoc: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
