// The staff roll: the credits rise through a small window at the bottom centre, fade to
// grey and disappear, while the petals keep falling.
#pragma once

namespace pw {

class Game;

void StaffRoll(Game& g);

}  // namespace pw
