#include "combat/mod_barn.hpp"

#include "driver/game_state.hpp"

namespace pw {

void BarnStart(Game&, Single, Single, Integer) {}
void BarnPieceSet(Game&, Long&, Double, Double, Double) {}
Flag BarnMove(Game&) {
    return kFalse;
}

}  // namespace pw
