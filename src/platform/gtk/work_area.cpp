#include "platform/gtk/work_area.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace pw::gtk {
namespace {

struct XFreeDeleter {
    void operator()(void* p) const { XFree(p); }
};

// A CARDINAL or WINDOW list property of `window`, empty if it has none.
std::vector<long> long_property(Display* x, ::Window window, Atom name, Atom type) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    if (XGetWindowProperty(x, window, name, 0, 4096, False, type, &actual, &format, &count, &after,
                           &raw) != Success)
        return {};
    std::unique_ptr<unsigned char, XFreeDeleter> data(raw);
    if (!data || actual != type || format != 32) return {};
    const auto* values = reinterpret_cast<const long*>(data.get());
    return {values, values + count};
}

// The bottom struts of the window manager's clients; nullopt when no client has any strut.
std::optional<std::vector<BottomStrut>> panel_struts(GdkDisplay* display) {
    Display* x = gdk_x11_display_get_xdisplay(display);
    const auto atom = [display](const char* name) {
        return gdk_x11_get_xatom_by_name_for_display(display, name);
    };
    const Atom partial = atom("_NET_WM_STRUT_PARTIAL"), plain = atom("_NET_WM_STRUT");
    const int screen_width = DisplayWidth(x, DefaultScreen(x));
    std::optional<std::vector<BottomStrut>> struts;
    // A vanished client makes its property reads fail; that is no error of the game's.
    gdk_x11_display_error_trap_push(display);
    for (long client :
         long_property(x, DefaultRootWindow(x), atom("_NET_CLIENT_LIST"), XA_WINDOW)) {
        // left, right, top, bottom, then the start and end of each along its edge
        std::vector<long> s = long_property(x, static_cast<::Window>(client), partial, XA_CARDINAL);
        if (s.size() < 12) {
            s = long_property(x, static_cast<::Window>(client), plain, XA_CARDINAL);
            if (s.size() < 4) continue;
            s.resize(12, 0);
            s[10] = 0;
            s[11] = screen_width - 1;
        }
        if (!struts) struts.emplace();
        if (s[3] > 0)
            struts->push_back(
                {static_cast<int>(s[3]), static_cast<int>(s[10]), static_cast<int>(s[11])});
    }
    gdk_x11_display_error_trap_pop_ignored(display);
    return struts;
}

}  // namespace

int bottom_above_struts(const MonitorBox& monitor, int screen_height,
                        const std::vector<BottomStrut>& struts) {
    const int right = monitor.x + monitor.width - 1;
    const int bottom = monitor.y + monitor.height;
    int edge = bottom;
    for (const BottomStrut& s : struts) {
        if (s.last_x < monitor.x || s.first_x > right) continue;
        const int top = screen_height - s.height;
        if (top > monitor.y && top < bottom) edge = std::min(edge, top);
    }
    return edge;
}

int primary_work_area_bottom(GdkDisplay* display, const GdkRectangle& monitor, int scale,
                             int wm_bottom) {
    if (!GDK_IS_X11_DISPLAY(display)) return wm_bottom;
    const auto struts = panel_struts(display);
    if (!struts) return wm_bottom;
    Display* x = gdk_x11_display_get_xdisplay(display);
    const MonitorBox box{monitor.x * scale, monitor.y * scale, monitor.width * scale,
                         monitor.height * scale};
    return bottom_above_struts(box, DisplayHeight(x, DefaultScreen(x)), *struts) / scale;
}

}  // namespace pw::gtk
