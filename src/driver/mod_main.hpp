// The game flow: title, the paced frame loop, the boss stage, the clear sequence and the
// ending; and the setup of every game.
#pragma once

#include "platform/basic_types.hpp"

namespace pw {

class Game;

inline constexpr std::uint32_t kFrameMs = 50;

// Runs the game; leaves only by ending the program.
[[noreturn]] void GameMain(Game& g);
// Puts the whole game into its starting state.
void GameSetup(Game& g);

}  // namespace pw
