// The player's ship: movement, collisions with enemies and the ground, and losing lives.
#pragma once

#include "platform/basic_types.hpp"

namespace pw {

class Game;

// A twip distance in whole pixels: round(d) \ round(twips per pixel).
Long TwipsToPixelsX(Game& g, double d);
Long TwipsToPixelsY(Game& g, double d);

void PlayerMove(Game& g);
Integer PlayerCrashEnemy(Game& g);
Integer PlayerCrashBG(Game& g);
void PlayerHit(Game& g);
// The ship window's one-second timer: the end of invincibility.
void frmPlayer_Timer1_Timer(Game& g);

}  // namespace pw
