// What scripts/test-compositors.sh needs on a real desktop that the shell tools do not give:
//
//   desktop_probe backdrop
//       maps a full-screen striped desktop window and keeps it until killed; any picture a
//       compositor leaves where no game window is stands out against the stripes
//   desktop_probe silhouettes
//       prints each viewable game window: its name, then its outline's rectangles in screen
//       coordinates (x,y,width,height), one window a line
//   desktop_probe title SHOT REFERENCE
//       the screenshot of the title must be the virtual desktop's picture of it, with the
//       stripes where the virtual desktop shows its wallpaper
//   desktop_probe play SHOT SILHOUETTES REFERENCE...
//       a screenshot of a stopped game: the stripes everywhere outside the silhouettes, the
//       scenery as in one of the virtual desktop's pictures wherever no other window covers
//       it (one picture may have the title over it, another a sprite), every sprite drawn
//
// The checks print one line and end with 0 when they hold, 1 when they do not. Given
// --top=ROW before the command, they leave the rows above ROW alone: a desktop's own top bar
// and banners are there.

// Before Xlib, whose macros clash with GoogleTest's names.
#include "desktop/x_session.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pw::desktop_test {
namespace {

constexpr Rgb kVirtualWallpaper{58, 110, 165};
constexpr Rgb kStripeA{80, 96, 208};
constexpr Rgb kStripeB{208, 192, 80};
constexpr int kStripeWidth = 8;  // diagonal stripes, so a rectangle or a trail of any shape shows

Rgb stripe(int x, int y) {
    return (x + y) % (2 * kStripeWidth) < kStripeWidth ? kStripeA : kStripeB;
}

unsigned long pixel(Rgb c) {
    return static_cast<unsigned long>(c.r) << 16 | static_cast<unsigned long>(c.g) << 8 |
           static_cast<unsigned long>(c.b);
}

int backdrop() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 2;
    const int screen = DefaultScreen(d);
    const ::Window root = RootWindow(d, screen);
    const ::Window w = XCreateSimpleWindow(d, root, 0, 0, DisplayWidth(d, screen),
                                           DisplayHeight(d, screen), 0, 0, 0);
    // A desktop window: the window manager keeps it below everything and undecorated.
    Atom desktop = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&desktop), 1);
    XStoreName(d, w, "stripes");
    // The server paints the stripes from a tile, whatever the compositor asks for.
    constexpr int tile = 2 * kStripeWidth;
    const Pixmap p = XCreatePixmap(d, w, tile, tile, DefaultDepth(d, screen));
    const GC gc = XCreateGC(d, p, 0, nullptr);
    for (int y = 0; y < tile; ++y)
        for (int x = 0; x < tile; ++x) {
            XSetForeground(d, gc, pixel(stripe(x, y)));
            XDrawPoint(d, p, gc, x, y);
        }
    XSetWindowBackgroundPixmap(d, w, p);
    XMapWindow(d, w);
    XSync(d, False);
    std::puts("ready");
    std::fflush(stdout);
    pause();
    return 0;
}

// The window below `w` (a window manager's frame) that carries a name, if any.
bool named(Display* d, ::Window& w, std::string& name) {
    for (int depth = 0; depth < 3; ++depth) {
        char* text = nullptr;
        if (XFetchName(d, w, &text) && text) {
            name = text;
            XFree(text);
            return true;
        }
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count) || count == 0) return false;
        w = children[count - 1];
        XFree(children);
    }
    return false;
}

int silhouettes() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 2;
    const ::Window root = DefaultRootWindow(d);
    ::Window r = 0, parent = 0, *tops = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, root, &r, &parent, &tops, &count)) return 2;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(d, tops[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        ::Window w = tops[i];
        std::string name;
        if (!named(d, w, name) || name.rfind("frm", 0) != 0) continue;
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates(d, w, root, 0, 0, &x, &y, &child);
        int n = 0, ordering = 0;
        XRectangle* rects = XShapeGetRectangles(d, w, ShapeBounding, &n, &ordering);
        std::printf("%s", name.c_str());
        for (int k = 0; k < n; ++k)
            std::printf(" %d,%d,%d,%d", x + rects[k].x, y + rects[k].y, rects[k].width,
                        rects[k].height);
        std::printf("\n");
        if (rects) XFree(rects);
    }
    XFree(tops);
    return 0;
}

// Which window's silhouette covers each pixel: -1 for none, else the line in the listing.
struct Coverage {
    std::vector<std::string> names;
    std::vector<int> owner;  // the topmost window there
    int width = 0;

    Coverage(const std::string& listing, int w, int h)
        : owner(static_cast<size_t>(w * h), -1), width(w) {
        std::ifstream in(listing);
        std::string line;
        // The listing goes from the bottom of the stack to the top.
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string name, rect;
            fields >> name;
            const int index = static_cast<int>(names.size());
            names.push_back(name);
            while (fields >> rect) {
                int x = 0, y = 0, rw = 0, rh = 0;
                if (std::sscanf(rect.c_str(), "%d,%d,%d,%d", &x, &y, &rw, &rh) != 4) continue;
                for (int yy = std::max(0, y); yy < std::min(h, y + rh); ++yy)
                    for (int xx = std::max(0, x); xx < std::min(w, x + rw); ++xx)
                        owner[static_cast<size_t>(yy * w + xx)] = index;
            }
        }
    }
    int at(int x, int y) const { return owner[static_cast<size_t>(y * width + x)]; }
};

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
    void add(int x, int y) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
        ++count;
    }
    std::string text() const {
        if (count == 0) return "0";
        return std::to_string(count) + " in " + std::to_string(left) + "," + std::to_string(top) +
               "-" + std::to_string(right) + "," + std::to_string(bottom);
    }
};

bool same_size(const Image& a, const Image& b) {
    return a.ok() && b.ok() && a.width() == b.width() && a.height() == b.height();
}

int title(int top, const std::string& shot_path, const std::string& reference_path) {
    const Image shot(shot_path), reference(reference_path);
    if (!same_size(shot, reference)) {
        std::printf("title: cannot read %s and %s at one size\n", shot_path.c_str(),
                    reference_path.c_str());
        return 1;
    }
    Box wrong;
    for (int y = top; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const Rgb want =
                reference.at(x, y) == kVirtualWallpaper ? stripe(x, y) : reference.at(x, y);
            if (shot.at(x, y) != want) wrong.add(x, y);
        }
    std::printf("title: pixels unlike the virtual desktop's: %s\n", wrong.text().c_str());
    return wrong.count == 0 ? 0 : 1;
}

int play(int top, const std::string& shot_path, const std::string& listing,
         const std::vector<std::string>& reference_paths) {
    const Image shot(shot_path);
    std::vector<Image> references;
    for (const std::string& path : reference_paths)
        if (!same_size(shot, references.emplace_back(path))) {
            std::printf("play: cannot read %s and %s at one size\n", shot_path.c_str(),
                        path.c_str());
            return 1;
        }
    const Coverage cover(listing, shot.width(), shot.height());
    Box stale, scenery;
    std::vector<int> drawn(cover.names.size()), area(cover.names.size());
    for (int y = top; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const int owner = cover.at(x, y);
            const Rgb seen = shot.at(x, y);
            if (owner < 0) {
                if (seen != stripe(x, y)) stale.add(x, y);
                continue;
            }
            const auto window = static_cast<size_t>(owner);
            ++area[window];
            if (seen != stripe(x, y)) ++drawn[window];
            if (cover.names[window] == "frmBG" &&
                std::none_of(references.begin(), references.end(),
                             [&](const Image& r) { return r.at(x, y) == seen; }))
                scenery.add(x, y);
        }
    // A sprite may share a few colours with the stripes, never most of them.
    std::string undrawn;
    for (size_t i = 0; i < cover.names.size(); ++i)
        if (area[i] > 0 && drawn[i] * 2 < area[i]) undrawn += " " + cover.names[i];
    std::printf(
        "play: %zu windows; stale pixels outside them: %s; scenery pixels unlike the "
        "virtual desktop's: %s; not drawn:%s\n",
        cover.names.size(), stale.text().c_str(), scenery.text().c_str(),
        undrawn.empty() ? " none" : undrawn.c_str());
    return stale.count == 0 && scenery.count == 0 && undrawn.empty() ? 0 : 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: desktop_probe backdrop | silhouettes |"
                 " [--top=ROW] title SHOT REFERENCE |"
                 " [--top=ROW] play SHOT SILHOUETTES REFERENCE...\n");
    return 2;
}

}  // namespace
}  // namespace pw::desktop_test

int main(int argc, char** argv) {
    using namespace pw::desktop_test;
    std::vector<std::string> args(argv + 1, argv + argc);
    int top = 0;
    if (!args.empty() && args[0].rfind("--top=", 0) == 0) {
        top = std::max(0, std::atoi(args[0].c_str() + 6));
        args.erase(args.begin());
    }
    if (args.size() == 1 && args[0] == "backdrop") return backdrop();
    if (args.size() == 1 && args[0] == "silhouettes") return silhouettes();
    if (args.size() == 3 && args[0] == "title") return title(top, args[1], args[2]);
    if (args.size() >= 4 && args[0] == "play")
        return play(top, args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    return usage();
}
