#include "combat/mod_EShot.hpp"

#include "driver/game_state.hpp"

namespace pw {

void EShotFire(Game&, Integer) {}
void EShotMove(Game&) {}
Integer EShotHitTest(Game&, Single&, Single&) {
    return 0;
}

}  // namespace pw
