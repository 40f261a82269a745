#include "combat/mod_Shot.hpp"

#include "driver/game_state.hpp"

namespace pw {

void ShotMove(Game&) {}
Integer ShotHitTest(Game&, Single&, Single&) {
    return 0;
}

}  // namespace pw
