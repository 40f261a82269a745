// The user's hands on KWin, which offers no virtual keyboard or pointer of the wlroots kind but
// its own fake input device (org_kde_kwin_fake_input; KWin hands it to any client when it runs
// with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1):
//
//   kwin_input STEP...
//       move X Y        the pointer to X, Y in the output's logical pixels
//       click BUTTON    press and release a mouse button (1 left, 2 middle, 3 right)
//       down KEY        press a key (space, right, left, up, down, escape, home, return)
//       up KEY          release it
//       key KEY         press and release it
//       wait MS         let the compositor and its clients take what came so far
//   kwin_input stay
//       keeps a device plugged in until it is ended: the seat has a pointer and a keyboard
//       only while some device is, and a client that saw its pointer go with the device that
//       clicked may lose the click.
//
// Every step reaches the compositor before the next; ends with 0 once all have, 2 for a step
// it does not know, 1 when the compositor offers no fake input.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>

namespace {

// The requests of org_kde_kwin_fake_input version 4 that the tests use, in the protocol's
// order (the opcode is the index).
enum Request : std::uint32_t {
    kAuthenticate = 0,
    kButton = 2,
    kPointerMotionAbsolute = 9,
    kKeyboardKey = 10,
};
const wl_message kRequests[] = {
    {"authenticate", "ss", nullptr},  {"pointer_motion", "ff", nullptr},
    {"button", "uu", nullptr},        {"axis", "uf", nullptr},
    {"touch_down", "2uff", nullptr},  {"touch_motion", "2uff", nullptr},
    {"touch_up", "2u", nullptr},      {"touch_cancel", "2", nullptr},
    {"touch_frame", "2", nullptr},    {"pointer_motion_absolute", "3ff", nullptr},
    {"keyboard_key", "4uu", nullptr},
};
const wl_interface kFakeInput = {"org_kde_kwin_fake_input", 4, 11, kRequests, 0, nullptr};

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    if (std::strcmp(interface, kFakeInput.name) == 0 && version >= 4)
        *static_cast<wl_proxy**>(data) =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kFakeInput, 4));
}
void on_global_remove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kListener{on_global, on_global_remove};

const std::map<std::string, std::uint32_t> kKeys{
    {"space", KEY_SPACE}, {"right", KEY_RIGHT}, {"left", KEY_LEFT}, {"up", KEY_UP},
    {"down", KEY_DOWN},   {"escape", KEY_ESC},  {"home", KEY_HOME}, {"return", KEY_ENTER}};
const std::map<std::string, std::uint32_t> kButtons{
    {"1", BTN_LEFT}, {"2", BTN_MIDDLE}, {"3", BTN_RIGHT}};

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "kwin_input: no Wayland compositor\n");
        return 1;
    }
    wl_proxy* input = nullptr;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &input);
    wl_display_roundtrip(display);
    if (!input) {
        std::fprintf(stderr, "kwin_input: the compositor offers no fake input\n");
        return 1;
    }
    // KWin takes no event from a device that has not said who it is.
    wl_proxy_marshal(input, kAuthenticate, "petalwing tests", "plays the user");
    wl_display_roundtrip(display);

    const auto bad = [](const std::string& step) {
        std::fprintf(stderr, "kwin_input: cannot do '%s'\n", step.c_str());
        return 2;
    };
    const auto key = [&](const std::string& name, std::uint32_t state) {
        const auto k = kKeys.find(name);
        if (k == kKeys.end()) return false;
        wl_proxy_marshal(input, kKeyboardKey, k->second, state);
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        const char* arg = i + 1 < argc ? argv[i + 1] : "";
        if (step == "move" && i + 2 < argc) {
            wl_proxy_marshal(input, kPointerMotionAbsolute, wl_fixed_from_int(std::atoi(arg)),
                             wl_fixed_from_int(std::atoi(argv[i + 2])));
            i += 2;
        } else if (step == "click" && kButtons.count(arg)) {
            wl_proxy_marshal(input, kButton, kButtons.at(arg), 1u);
            wl_display_roundtrip(display);
            wl_proxy_marshal(input, kButton, kButtons.at(arg), 0u);
            ++i;
        } else if (step == "down" || step == "up") {
            if (!key(arg, step == "down" ? 1 : 0)) return bad(step + " " + arg);
            ++i;
        } else if (step == "key") {
            if (!key(arg, 1)) return bad(step + " " + arg);
            wl_display_roundtrip(display);
            key(arg, 0);
            ++i;
        } else if (step == "stay") {
            while (wl_display_dispatch(display) >= 0) {
            }
        } else if (step == "wait" && i + 1 < argc) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(arg)));
            ++i;
        } else {
            return bad(step);
        }
        wl_display_roundtrip(display);
    }
    wl_display_disconnect(display);
    return 0;
}
