// The player's shot: a green bar fired with the space bar.
#pragma once

#include "platform/basic_types.hpp"

namespace pw {

class Game;

void ShotMove(Game& g);
// 1 when the point (x, y), twips, hits an enemy or the boss.
Integer ShotHitTest(Game& g, Single& x, Single& y);

}  // namespace pw
