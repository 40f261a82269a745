// The enemies' aimed shots: 2 by 2 pixel dots cut into one full-screen window.
#pragma once

#include "platform/basic_types.hpp"

namespace pw {

class Game;

void EShotFire(Game& g, Integer i);
void EShotMove(Game& g);
// 1 when the point (x, y), twips, lies in the ship's hit mask.
Integer EShotHitTest(Game& g, Single& x, Single& y);

}  // namespace pw
