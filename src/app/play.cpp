#include "app/play.hpp"

#include <memory>

#include "autopilot/autopilot.hpp"
#include "driver/mod_Define.hpp"
#include "game/game_state.hpp"

namespace pw::app {

int play(platform::Desktop& desktop, const Options& options) {
    // The built-in player sits between the game and the desktop and answers for the keys.
    std::unique_ptr<Autopilot> autopilot;
    if (options.autopilot) autopilot = std::make_unique<Autopilot>(desktop);
    platform::Desktop& played = autopilot ? *autopilot : desktop;

    int code = 0;
    {
        auto game = std::make_unique<Game>(played);
        if (autopilot) autopilot->attach(*game);
        try {
            Main(*game, options.command_line);
        } catch (const platform::ProgramEnd& end) {
            code = end.exit_code;
        }
    }
    desktop.finish(code);
    return code;
}

}  // namespace pw::app
