// The game's records in the run's trace: setup, phase and frame.
#pragma once

#include <string_view>

namespace pw {

class Game;

void TraceSetup(Game& g);
void TracePhase(Game& g, std::string_view phase);
void TraceFrame(Game& g);

}  // namespace pw
