#include "game/mod_JoyStick.hpp"

#include "game/game_state.hpp"

namespace pw {

using platform::Key;

std::string JoyStickRead(Game& g) {
    const auto pressed = [&](Key k) { return g.GetAsyncKeyState(k); };
    // One digit, made a string once: GCC 12 at -O3 takes assignments of string literals for
    // overlapping copies (-Wrestrict).
    char code = '0';
    if (pressed(Key::Up)) code = '8';
    if (pressed(Key::Right)) code = '6';
    if (pressed(Key::Down)) code = '2';
    if (pressed(Key::Left)) code = '4';
    // Later tests win, so conflicting keys give the last matching diagonal.
    if (pressed(Key::Up) & pressed(Key::Right)) code = '9';
    if (pressed(Key::Up) & pressed(Key::Left)) code = '7';
    if (pressed(Key::Down) & pressed(Key::Right)) code = '3';
    if (pressed(Key::Down) & pressed(Key::Left)) code = '1';
    // Clear the pressed-since-last-query bits.
    for (Key k : {Key::Up, Key::Right, Key::Down, Key::Left})
        pressed(k);
    return std::string(1, code);
}

void frmPlayer_Form_MouseDown(Game& g, int Button, int, float, float) {
    if (Button == platform::kRightButton) g.ws.PopupMenu(g.frmMenu->mpop);
}

}  // namespace pw
