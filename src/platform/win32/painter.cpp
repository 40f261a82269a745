#include "platform/win32/painter.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/region_gdi.hpp"
#include "platform/win32/text.hpp"

namespace pw::win32 {
namespace {

using platform::Colour;

// The Japanese faces are asked for with their character set, so that where they are missing
// the font mapper picks a face that has the glyphs.
BYTE charset_for(const std::string& family) {
    const bool ascii = std::all_of(family.begin(), family.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? DEFAULT_CHARSET : SHIFTJIS_CHARSET;
}

// Faces with the same metrics, for desktops that lack the game's own Japanese fonts (Windows
// without them, or Wine, whose stand-in for a missing face may have no Japanese glyphs).
std::vector<std::wstring> stand_ins_for(const std::string& family) {
    if (family.find("ゴシック") != std::string::npos) return {L"MS PGothic", L"IPAPGothic"};
    if (family.find("明朝") != std::string::npos) return {L"MS PMincho", L"IPAPMincho"};
    return {};
}

// A top-down 32-bit bitmap whose pixels the program can also write directly.
struct Canvas {
    MemoryDc dc;
    GdiObject<HBITMAP> bitmap;
    std::uint32_t* bits = nullptr;
    int width = 0, height = 0;

    Canvas(HDC compatible, int w, int h) : dc(CreateCompatibleDC(compatible)), width(w), height(h) {
        void* pixels = nullptr;
        bitmap = top_down_bitmap(dc.get(), w, h, &pixels);
        bits = static_cast<std::uint32_t*>(pixels);
    }
    explicit operator bool() const { return dc && bitmap && bits; }

    // Opaque pixels only: the picture's clear pixels leave what lies below.
    void blend(const platform::Picture& picture, int x0, int y0) {
        GdiFlush();  // GDI may still be drawing into the bitmap
        const auto px = picture.pixels();
        const int pw = picture.width();
        for (int y = std::max(0, -y0); y < picture.height() && y0 + y < height; ++y) {
            for (int x = std::max(0, -x0); x < pw && x0 + x < width; ++x) {
                const std::uint32_t p = px[static_cast<std::size_t>(y) * pw + x];
                if (p >> 24) bits[static_cast<std::size_t>(y0 + y) * width + x0 + x] = p & 0xFFFFFF;
            }
        }
    }
};

void draw_text(HDC dc, FontCache& fonts, const platform::Font& font, Colour fore, int x, int y,
               std::string_view text, const RECT* clip) {
    if (text.empty()) return;
    const std::wstring wide = widen(text);
    Selection selected(dc, fonts.get(font));
    SetTextColor(dc, colorref(fore));
    ExtTextOutW(dc, x, y, clip ? ETO_CLIPPED : 0, clip, wide.data(), static_cast<UINT>(wide.size()),
                nullptr);
}

void fill_rect(HDC dc, const RECT& r, Colour colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colorref(colour)));
    FillRect(dc, &r, brush.get());
}

void draw_item(Canvas& canvas, FontCache& fonts, const platform::DrawItem& item) {
    HDC dc = canvas.dc.get();
    if (const auto* label = std::get_if<platform::LabelItem>(&item)) {
        const RECT box{label->box.left, label->box.top, label->box.right, label->box.bottom};
        if (label->back) fill_rect(dc, box, *label->back);
        draw_text(dc, fonts, label->font, label->fore, box.left, box.top, label->text, &box);
    } else if (const auto* line = std::get_if<platform::LineItem>(&item)) {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colorref(line->colour)));
        Selection selected(dc, pen.get());
        MoveToEx(dc, line->x1, line->y1, nullptr);
        LineTo(dc, line->x2, line->y2);
        SetPixelV(dc, line->x2, line->y2, colorref(line->colour));  // GDI stops one short
    } else if (const auto* text = std::get_if<platform::TextItem>(&item)) {
        draw_text(dc, fonts, text->font, text->fore, text->x, text->y, text->text, nullptr);
    } else if (const auto* fill = std::get_if<platform::FillItem>(&item)) {
        GdiObject<HBRUSH> brush(CreateSolidBrush(colorref(fill->colour)));
        FillRgn(dc, native_handle(fill->shape), brush.get());
    } else if (const auto* image = std::get_if<platform::ImageItem>(&item)) {
        canvas.blend(image->picture, image->x, image->y);
    }
}

}  // namespace

FontCache::FontCache(int dpi) : dpi_(dpi), measure_dc_(CreateCompatibleDC(nullptr)) {}

HFONT FontCache::get(const platform::Font& font) {
    Key key{font.family, font.points, font.bold};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();

    const int height = -static_cast<int>(std::lround(font.points * dpi_ / 72.0));
    const auto create = [&](const std::wstring& face) {
        return GdiObject<HFONT>(
            CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                        charset_for(font.family), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    };
    // Whether the font mapper gave the face asked for rather than a substitute.
    const auto is_face = [&](HFONT made, const std::wstring& face) {
        wchar_t got[LF_FACESIZE] = {};
        Selection selected(measure_dc_.get(), made);
        return GetTextFaceW(measure_dc_.get(), LF_FACESIZE, got) > 0 && face == got;
    };
    const std::wstring wanted = widen(font.family);
    GdiObject<HFONT> made = create(wanted);
    if (made && !is_face(made.get(), wanted)) {
        for (const auto& face : stand_ins_for(font.family)) {
            if (GdiObject<HFONT> other = create(face); other && is_face(other.get(), face)) {
                made = std::move(other);
                break;
            }
        }
    }
    if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return fonts_.emplace(std::move(key), std::move(made)).first->second.get();
}

int FontCache::text_width(const platform::Font& font, std::string_view text) {
    const std::wstring wide = widen(text);
    if (wide.empty()) return 0;
    Selection selected(measure_dc_.get(), get(font));
    SIZE size{};
    GetTextExtentPoint32W(measure_dc_.get(), wide.data(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

void paint(HDC target, int width, int height, const Contents& contents, FontCache& fonts) {
    if (width <= 0 || height <= 0) return;
    Canvas canvas(target, width, height);
    if (!canvas) return;
    Selection selected(canvas.dc.get(), canvas.bitmap.get());
    std::fill_n(canvas.bits, static_cast<std::size_t>(width) * height,
                (std::uint32_t{contents.back.r} << 16) | (std::uint32_t{contents.back.g} << 8) |
                    contents.back.b);
    if (contents.picture && *contents.picture) canvas.blend(*contents.picture, 0, 0);
    SetBkMode(canvas.dc.get(), TRANSPARENT);
    if (contents.items)
        for (const auto& item : *contents.items)
            draw_item(canvas, fonts, item);
    GdiFlush();
    BitBlt(target, 0, 0, width, height, canvas.dc.get(), 0, 0, SRCCOPY);
}

}  // namespace pw::win32
