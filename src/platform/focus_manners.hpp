// The game asks for the keyboard focus at the start of every game. It takes it when the user
// has just started the program; after that only from itself (a restart after a lost game
// while the lamp has it), never from another program the user has turned to meanwhile.
#pragma once

namespace pw::platform {

class FocusManners {
  public:
    // Whether a request may take the focus, given whether one of the game's windows has it.
    bool may_take(bool game_has_focus) {
        const bool first = !asked_;
        asked_ = true;
        return first || game_has_focus;
    }

  private:
    bool asked_ = false;
};

}  // namespace pw::platform
