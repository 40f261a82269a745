// Explosions: fans of debris dots on ballistic paths, cut into one full-screen pink window;
// a dot that touches the ship hits it.
#pragma once

#include "platform/basic_types.hpp"

namespace pw {

class Game;

// Kind 0: a fountain that rises and falls; kind 1: a spray to the left.
void BarnStart(Game& g, Single x, Single y, Integer kind);
void BarnPieceSet(Game& g, Long& n, Double x, Double y, Double angle);
// kTrue while at least one dot was drawn this frame.
Flag BarnMove(Game& g);

}  // namespace pw
