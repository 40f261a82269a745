#include "platform/gtk/key_watcher.hpp"

#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <glib.h>

#include <algorithm>

namespace pw::gtk {
namespace {

// Each key with the keysyms that stand for it; the keypad's arrows and Home count as well,
// as they do for the Windows key state.
constexpr std::array<std::array<KeySym, 2>, platform::kKeyCount> kKeySyms = {{
    {XK_space, XK_space},     // Space
    {XK_Left, XK_KP_Left},    // Left
    {XK_Up, XK_KP_Up},        // Up
    {XK_Right, XK_KP_Right},  // Right
    {XK_Down, XK_KP_Down},    // Down
    {XK_Home, XK_KP_Home},    // Home
    {XK_Escape, XK_Escape},   // Escape
}};

// Raw events cover every change of the keys; the keymap is still read now and then in case
// one was missed (a keyboard mapping change, say).
constexpr std::int64_t kKeymapLifetimeUs = 250'000;

}  // namespace

void KeyWatcher::CloseDisplay::operator()(_XDisplay* d) const {
    XCloseDisplay(d);
}

KeyWatcher::KeyWatcher(const char* display_name) : display_(XOpenDisplay(display_name)) {
    if (!display_) return;
    Display* d = display_.get();
    int event = 0, error = 0;
    int major = 2, minor = 2;
    if (XQueryExtension(d, "XInputExtension", &xi_opcode_, &event, &error) &&
        XIQueryVersion(d, &major, &minor) == Success) {
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
        XISelectEvents(d, DefaultRootWindow(d), &mask, 1);
    } else {
        xi_opcode_ = -1;
    }
    load_keycodes();
    XFlush(d);
}

void KeyWatcher::load_keycodes() {
    Display* d = display_.get();
    for (int k = 0; k < platform::kKeyCount; ++k) {
        keycodes_[k].clear();
        for (KeySym sym : kKeySyms[k]) {
            const int code = XKeysymToKeycode(d, sym);
            if (code &&
                std::find(keycodes_[k].begin(), keycodes_[k].end(), code) == keycodes_[k].end())
                keycodes_[k].push_back(code);
        }
    }
}

void KeyWatcher::take_raw_press(int keycode) {
    for (int k = 0; k < platform::kKeyCount; ++k)
        if (std::find(keycodes_[k].begin(), keycodes_[k].end(), keycode) != keycodes_[k].end())
            pressed_[k] = true;
}

void KeyWatcher::refresh() {
    fresh_ = true;
    Display* d = display_.get();
    if (!d) return;
    bool changed = false;
    while (XPending(d) > 0) {
        XEvent ev;
        XNextEvent(d, &ev);
        if (ev.type == MappingNotify) {
            XRefreshKeyboardMapping(&ev.xmapping);
            load_keycodes();
            changed = true;
            continue;
        }
        XGenericEventCookie* cookie = &ev.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xi_opcode_ ||
            !XGetEventData(d, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress)
            take_raw_press(static_cast<const XIRawEvent*>(cookie->data)->detail);
        changed = true;
        XFreeEventData(d, cookie);
    }
    const std::int64_t now = g_get_monotonic_time();
    const bool stale = xi_opcode_ < 0 || keymap_read_at_ == 0 ||
                       now - keymap_read_at_ >= kKeymapLifetimeUs;  // no raw events to rely on
    if (changed || stale) {
        XQueryKeymap(d, keymap_);
        keymap_read_at_ = now;
    }
}

int KeyWatcher::connection() const {
    return display_ ? ConnectionNumber(display_.get()) : -1;
}

bool KeyWatcher::has_queued_events() const {
    return display_ && XEventsQueued(display_.get(), QueuedAlready) > 0;
}

std::uint16_t KeyWatcher::state(platform::Key key) {
    if (!fresh_) refresh();
    const int k = static_cast<int>(key);
    bool held = false;
    for (int code : keycodes_[k])
        held = held || (keymap_[code / 8] >> (code % 8)) & 1;
    std::uint16_t bits = held ? platform::kKeyHeld : 0;
    if (pressed_[k]) bits |= platform::kKeyPressedSinceQuery;
    pressed_[k] = false;
    return bits;
}

}  // namespace pw::gtk
