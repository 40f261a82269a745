// The staff roll: the credits rise through a small window at the bottom centre, fade to
// grey and disappear, while the petals keep falling.
#pragma once

#include "platform/region.hpp"

namespace pw {

class Game;

void StaffRoll(Game& g);

// The roll window's outline in scroll step `step` (0 to 610): the credits moved up by
// `step` pixels, joined by the maker's line rising from 600 pixels below until it rests
// 45 pixels below its place.
Region StaffRollOutline(Game& g, int step);

}  // namespace pw
