// artc: turns the game's PNG art into C++ tables at build time, so the program never scans a
// pixel to shape a window. Each sprite's opaque pixels become its region block in canonical y-x
// bands; every picture is stored as a palette plus run-length codes.
//
//   artc <output.cpp> <art directory>
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kSpriteCount = 16;
constexpr int kCapCount = 4;
constexpr std::size_t kCapacity = 2477;  // rectangles one region block can hold

// Window sizes of the sprites: a picture of any other size is a drawing mistake.
constexpr int kSizes[kSpriteCount][2] = {
    {25, 11},   {163, 95}, {177, 613}, {177, 58}, {300, 48}, {37, 66}, {1024, 99}, {1024, 99},
    {1024, 99}, {37, 66},  {61, 45},   {19, 10},  {19, 10},  {21, 10}, {12, 12},   {12, 12}};
constexpr int kCapSizes[kCapCount][2] = {{8, 18}, {7, 18}, {7, 18}, {8, 18}};

// The bounding box of these slots starts at their first band; the others at row 0.
constexpr bool kTopFromFirstBand[kSpriteCount] = {true,  true,  true,  false, false, true,
                                                  false, false, false, true,  true,  false,
                                                  false, false, false, false};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;  // alpha 0 or 255 only

    bool opaque(int x, int y) const { return (argb[y * width + x] >> 24) != 0; }
};

struct Rect {
    int left, top, right, bottom;
};

Image load_png(const std::string& path, int want_width, int want_height) {
    using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    Surface surface(cairo_image_surface_create_from_png(path.c_str()), &cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(path + ": cannot read the PNG");
    cairo_surface_flush(surface.get());
    Image image{cairo_image_surface_get_width(surface.get()),
                cairo_image_surface_get_height(surface.get()),
                {}};
    if (image.width != want_width || image.height != want_height)
        throw std::runtime_error(path + ": must be " + std::to_string(want_width) + "x" +
                                 std::to_string(want_height) + " pixels");
    const auto format = cairo_image_surface_get_format(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    image.argb.reserve(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t p = format == CAIRO_FORMAT_RGB24 ? (row[x] | 0xFF000000u) : row[x];
            const std::uint32_t alpha = p >> 24;
            if (alpha != 0 && alpha != 255)
                throw std::runtime_error(path + ": pixels must be fully opaque or fully clear");
            // Cairo premultiplies; with alpha 0 or 255 that only zeroes the clear pixels.
            image.argb.push_back(alpha == 0 ? 0u : p);
        }
    }
    return image;
}

std::vector<std::pair<int, int>> row_runs(const Image& image, int y) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < image.width;) {
        if (!image.opaque(x, y)) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < image.width && image.opaque(x, y))
            ++x;
        runs.emplace_back(start, x);
    }
    return runs;
}

// Rows grouped in bands of maximal horizontal runs; touching rows with the same runs merge.
std::vector<Rect> canonical_rects(const Image& image) {
    std::vector<Rect> rects;
    std::vector<std::pair<int, int>> band_runs;
    int band_top = 0;
    int band_bottom = -1;
    auto flush = [&] {
        for (auto [left, right] : band_runs)
            rects.push_back({left, band_top, right, band_bottom});
        band_runs.clear();
    };
    for (int y = 0; y < image.height; ++y) {
        auto runs = row_runs(image, y);
        if (runs.empty()) continue;
        if (band_bottom == y && runs == band_runs) {
            band_bottom = y + 1;
            continue;
        }
        flush();
        band_runs = std::move(runs);
        band_top = y;
        band_bottom = y + 1;
    }
    flush();
    return rects;
}

// Palette of the picture's colours (index 0 is clear), then runs as pairs of palette index and
// LEB128 length.
struct Encoded {
    std::vector<std::uint32_t> palette{0u};
    std::vector<std::uint8_t> codes;
};

Encoded encode(const Image& image, const std::string& name) {
    Encoded out;
    std::map<std::uint32_t, std::uint8_t> index{{0u, 0}};
    auto colour = [&](std::uint32_t p) {
        auto [it, added] = index.try_emplace(p, static_cast<std::uint8_t>(out.palette.size()));
        if (added) {
            if (out.palette.size() == 256) throw std::runtime_error(name + ": over 255 colours");
            out.palette.push_back(p);
        }
        return it->second;
    };
    const std::size_t n = image.argb.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i;
        while (j < n && image.argb[j] == image.argb[i])
            ++j;
        out.codes.push_back(colour(image.argb[i]));
        for (std::size_t length = j - i;; length >>= 7) {
            if (length < 0x80) {
                out.codes.push_back(static_cast<std::uint8_t>(length));
                break;
            }
            out.codes.push_back(static_cast<std::uint8_t>(0x80 | (length & 0x7F)));
        }
        i = j;
    }
    return out;
}

template <typename T>
void write_list(std::ostream& os, const std::vector<T>& values, bool hex) {
    int column = 0;
    for (const T& v : values) {
        if (column == 0) os << "    ";
        if (hex)
            os << "0x" << std::hex << static_cast<std::uint32_t>(v) << std::dec << "u,";
        else
            os << static_cast<std::int64_t>(v) << ',';
        if (++column == 16) {
            os << '\n';
            column = 0;
        }
    }
    if (column != 0) os << '\n';
}

void write_picture(std::ostream& os, const std::string& name, const Image& image) {
    const Encoded encoded = encode(image, name);
    os << "constexpr std::uint32_t " << name << "_palette[] = {\n";
    write_list(os, encoded.palette, true);
    os << "};\nconstexpr std::uint8_t " << name << "_codes[] = {\n";
    write_list(os, encoded.codes, false);
    os << "};\n\n";
}

std::string picture_entry(const std::string& name, const Image& image) {
    std::ostringstream os;
    os << "{" << image.width << ", " << image.height << ", " << name << "_palette, " << name
       << "_codes}";
    return os.str();
}

void generate(const std::string& out_path, const std::string& dir) {
    std::ostringstream os;
    os << "// Generated by artc from the PNGs in art/. Do not edit.\n"
          "#include <cstdint>\n\n#include \"art_data.hpp\"\n\n"
          "namespace pw::art::detail {\nnamespace {\n\n";
    std::vector<std::string> shapes, sprites, caps;
    for (int n = 0; n < kSpriteCount; ++n) {
        char file[32];
        std::snprintf(file, sizeof file, "sprite%02d.png", n);
        const Image image = load_png(dir + "/" + file, kSizes[n][0], kSizes[n][1]);
        const auto rects = canonical_rects(image);
        if (rects.empty()) throw std::runtime_error(std::string(file) + ": no opaque pixel");
        if (rects.size() > kCapacity)
            throw std::runtime_error(std::string(file) + ": " + std::to_string(rects.size()) +
                                     " rectangles, over the capacity of a region block");
        Rect bound{rects.front().left, kTopFromFirstBand[n] ? rects.front().top : 0,
                   rects.front().right, rects.back().bottom};
        std::vector<int> words;
        for (const Rect& r : rects) {
            bound.left = std::min(bound.left, r.left);
            bound.right = std::max(bound.right, r.right);
            words.insert(words.end(), {r.left, r.top, r.right, r.bottom});
        }
        const std::string name = "sprite" + std::to_string(n);
        os << "constexpr std::int32_t " << name << "_rects[] = {\n";
        write_list(os, words, false);
        os << "};\n";
        write_picture(os, name, image);
        shapes.push_back("Shape{{{" + std::to_string(bound.left) + ", " +
                         std::to_string(bound.top) + ", " + std::to_string(bound.right) + ", " +
                         std::to_string(bound.bottom) + "}}, " + name + "_rects}");
        sprites.push_back(picture_entry(name, image));
    }
    for (int k = 0; k < kCapCount; ++k) {
        const std::string name = "cap" + std::to_string(k);
        const Image image = load_png(dir + "/" + name + ".png", kCapSizes[k][0], kCapSizes[k][1]);
        write_picture(os, name, image);
        caps.push_back(picture_entry(name, image));
    }
    const Image icon = load_png(dir + "/icon.png", 32, 32);
    write_picture(os, "icon", icon);

    os << "}  // namespace\n\nconst std::array<Shape, kSpriteCount> kShapes = {\n";
    for (const auto& s : shapes)
        os << "    " << s << ",\n";
    os << "};\nconst std::array<EncodedPicture, kSpriteCount> kSprites = {{\n";
    for (const auto& s : sprites)
        os << "    " << s << ",\n";
    os << "}};\nconst std::array<EncodedPicture, 4> kCaps = {{\n";
    for (const auto& s : caps)
        os << "    " << s << ",\n";
    os << "}};\nconst EncodedPicture kIcon = " << picture_entry("icon", icon)
       << ";\n\n}  // namespace pw::art::detail\n";

    // Write through a temporary so an interrupted run never leaves half a source behind.
    const std::string temp = out_path + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary);
        file << os.str();
        if (!file) throw std::runtime_error(temp + ": cannot write");
    }
    if (std::rename(temp.c_str(), out_path.c_str()) != 0)
        throw std::runtime_error(out_path + ": cannot write");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: artc <output.cpp> <art directory>\n";
        return 2;
    }
    try {
        generate(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "artc: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
