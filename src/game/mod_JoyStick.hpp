// Keyboard input shared by the modules: the arrow keys as one direction code laid out like a
// numeric keypad, and the ship window's mouse-down that opens the popup menu.
#pragma once

#include <string>

namespace pw {

class Game;

// "8" up, "2" down, "4" left, "6" right, "7" "9" "1" "3" the diagonals, "0" none.
std::string JoyStickRead(Game& g);

// The ship window's mouse-down: the right button opens the popup menu.
void frmPlayer_Form_MouseDown(Game& g, int Button, int Shift, float X, float Y);

}  // namespace pw
