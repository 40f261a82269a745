// The built-in player: a desktop that passes everything on to the real one but answers the
// key-state queries from its own decisions, as a person at the keyboard would. It looks at
// the game once per frame (at the frame's first key query, or when the clock has moved) and
// decides which arrow keys and whether the space bar to hold: it starts at the title, flies
// the scenery's corridor, keeps clear of enemies, their shots and the debris, shoots what it
// can hit and, in the boss fight, lines up with the boss's core. It never presses Home or
// Escape.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/desktop_decorator.hpp"

namespace pw {

class Game;

namespace autopilot {
class Pilot;
}

class Autopilot final : public platform::DesktopDecorator {
  public:
    explicit Autopilot(platform::Desktop& inner);
    ~Autopilot() override;

    // The game to play; it is only looked at, never changed.
    void attach(const Game& game);

    std::uint16_t key_state(platform::Key key) override;

  private:
    void decide();
    void hold(platform::Key key, bool down);

    const Game* game_ = nullptr;
    std::unique_ptr<autopilot::Pilot> pilot_;
    std::array<bool, platform::kKeyCount> held_{};
    std::array<bool, platform::kKeyCount> pressed_{};
    std::optional<std::uint32_t> decided_at_;
    std::optional<std::uint32_t> last_frame_start_;
    std::optional<std::uint32_t> title_since_;
};

}  // namespace pw
