#include "combat/mod_Enemy.hpp"

#include "driver/game_state.hpp"

namespace pw {

void EnemyAppear(Game&) {}
void EnemyMove(Game&) {}
void EnemyBurn(Game&) {}

}  // namespace pw
