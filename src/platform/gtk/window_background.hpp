// What a game window shows, handed to the X server once as the window's background pixmap (of
// the window's depth and scale; a solid colour is one pixel, tiled). The server then repaints
// every exposure, move and reshape by itself, without a round trip through the program or
// GTK's drawing cycle: a window whose picture did not change costs nothing more than its move
// or its new outline, and one that goes back to a picture it showed before only switches to
// the pixmap it already has.
#pragma once

#include <gdk/gdk.h>

#include <cstddef>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "platform/cairo/painter.hpp"
#include "platform/platform.hpp"
#include "platform/region.hpp"

namespace pw::gtk {

// Everything that decides a window's picture; equal contents paint alike.
struct WindowContents {
    int width = 0, height = 0;  // logical pixels
    platform::Colour back{};
    platform::Picture picture;
    std::vector<platform::DrawItem> items;
    std::optional<Region> silhouette;  // transparent outside it, where the window has alpha
    friend bool operator==(const WindowContents&, const WindowContents&) = default;
};

// One picture on the X server; the pixmap is freed with the last window that shows it.
class Background;

class BackgroundPainter {
  public:
    explicit BackgroundPainter(paint::Painter& painter);
    ~BackgroundPainter();
    BackgroundPainter(const BackgroundPainter&) = delete;
    BackgroundPainter& operator=(const BackgroundPainter&) = delete;

    // Makes `contents` the background of the realized `window` and shows it at once. The
    // caller keeps the result for as long as the window shows it.
    std::shared_ptr<const Background> apply(GdkWindow* window, const WindowContents& contents);

  private:
    std::shared_ptr<const Background> find_or_paint(GdkWindow* window,
                                                    const WindowContents& contents);

    paint::Painter& painter_;
    std::list<std::shared_ptr<const Background>> recent_;  // most recently used first
};

}  // namespace pw::gtk
