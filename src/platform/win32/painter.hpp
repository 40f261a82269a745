// Drawing a window's contents with GDI: the background colour, the picture from the top-left
// corner, then the labels, lines, texts, fills and images in order. Everything is drawn into
// one 32-bit bitmap and copied to the screen at once, so a moving sprite never flickers.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/platform.hpp"
#include "platform/win32/gdi_handle.hpp"

namespace pw::win32 {

// The game's fonts, made once each, at the screen's resolution.
class FontCache {
  public:
    explicit FontCache(int dpi);
    HFONT get(const platform::Font& font);
    int text_width(const platform::Font& font, std::string_view text);

  private:
    using Key = std::tuple<std::string, double, bool>;
    int dpi_;
    MemoryDc measure_dc_;
    std::map<Key, GdiObject<HFONT>> fonts_;
};

struct Contents {
    platform::Colour back;
    const platform::Picture* picture = nullptr;
    const std::vector<platform::DrawItem>* items = nullptr;
};

// Paints `contents` over the client area `width` x `height` of `target`.
void paint(HDC target, int width, int height, const Contents& contents, FontCache& fonts);

inline COLORREF colorref(platform::Colour c) {
    return RGB(c.r, c.g, c.b);
}

}  // namespace pw::win32
