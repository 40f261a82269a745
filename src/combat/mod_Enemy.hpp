// The enemies: spawning in the two zones, drifting and waving, burning when hit; and the
// boss's defeat, which the burning step checks during the boss fight.
#pragma once

namespace pw {

class Game;

void EnemyAppear(Game& g);
void EnemyMove(Game& g);
void EnemyBurn(Game& g);

}  // namespace pw
