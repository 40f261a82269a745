#include "combat/mod_Player.hpp"

#include "driver/game_state.hpp"

namespace pw {

Long TwipsToPixelsX(Game& g, double d) {
    return idiv(CLng(d), CLng(g.TwipsPerPixelX()));
}
Long TwipsToPixelsY(Game& g, double d) {
    return idiv(CLng(d), CLng(g.TwipsPerPixelY()));
}

void PlayerMove(Game& g) {
    g.frmPlayer->Move(g.tPlayer.nX, g.tPlayer.nY);
}
Integer PlayerCrashEnemy(Game&) {
    return 0;
}
Integer PlayerCrashBG(Game&) {
    return 0;
}
void PlayerHit(Game&) {}
void frmPlayer_Timer1_Timer(Game&) {}

}  // namespace pw
