#include "autopilot/autopilot.hpp"

#include "autopilot/pilot.hpp"
#include "game/game_state.hpp"

namespace pw {
namespace {

using platform::Key;

// A person looks at the title for a moment before pressing the space bar.
constexpr std::uint32_t kTitleLookMs = 1500;
// The frame loop asks for Home first in every frame; while it does, decisions are made
// there only, so that keys never change in the middle of a frame.
constexpr std::uint32_t kFrameQuietMs = 200;

std::size_t Index(Key key) {
    return static_cast<std::size_t>(key);
}

}  // namespace

Autopilot::Autopilot(platform::Desktop& inner)
    : DesktopDecorator(inner), pilot_(std::make_unique<autopilot::Pilot>()) {}

Autopilot::~Autopilot() = default;

void Autopilot::attach(const Game& game) {
    game_ = &game;
}

void Autopilot::hold(Key key, bool down) {
    const auto i = Index(key);
    if (down && !held_[i]) pressed_[i] = true;
    held_[i] = down;
}

void Autopilot::decide() {
    const Game& g = *game_;
    const std::uint32_t now = inner().time_ms();
    const auto* title = g.frmSTAFF.peek();
    if (title && title->Visible() && title->PictureNumber() == 4) {
        if (!title_since_) title_since_ = now;
        for (Key k : {Key::Up, Key::Down, Key::Left, Key::Right})
            hold(k, false);
        hold(Key::Space, now - *title_since_ >= kTitleLookMs);
        return;
    }
    title_since_.reset();
    const autopilot::Keys keys = pilot_->decide(g, inner().screen());
    hold(Key::Up, keys.up);
    hold(Key::Down, keys.down);
    hold(Key::Left, keys.left);
    hold(Key::Right, keys.right);
    hold(Key::Space, keys.space);
}

std::uint16_t Autopilot::key_state(Key key) {
    if (game_) {
        const std::uint32_t now = inner().time_ms();
        if (key == Key::Home) {
            last_frame_start_ = now;
            decide();
            decided_at_ = now;
        } else if (!decided_at_ ||
                   (*decided_at_ != now &&
                    (!last_frame_start_ || now - *last_frame_start_ > kFrameQuietMs))) {
            decide();
            decided_at_ = now;
        }
    }
    const auto i = Index(key);
    std::uint16_t state = 0;
    if (held_[i]) state |= platform::kKeyHeld;
    if (pressed_[i]) state |= platform::kKeyPressedSinceQuery;
    pressed_[i] = false;
    return state;
}

}  // namespace pw
