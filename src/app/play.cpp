#include "app/play.hpp"

#include <memory>

#include "autopilot/autopilot.hpp"
#include "driver/mod_Define.hpp"
#include "game/game_state.hpp"

namespace pw::app {

int play(platform::Desktop& desktop, const Options& options,
         const std::function<void(const std::string&)>& say) {
    // The built-in player sits between the game and the desktop and answers for the keys.
    std::unique_ptr<Autopilot> autopilot;
    if (options.autopilot) autopilot = std::make_unique<Autopilot>(desktop);
    platform::Desktop& played = autopilot ? *autopilot : desktop;

    platform::ProgramEnd end;
    {
        auto game = std::make_unique<Game>(played);
        if (autopilot) autopilot->attach(*game);
        try {
            Main(*game, options.command_line);
        } catch (platform::ProgramEnd& e) {
            end = std::move(e);
        }
    }
    // Recording the end may fail too (the trace's disk is full); that failure is the run's,
    // unless the run had failed already: one failure, one line.
    try {
        desktop.finish(end.exit_code);
    } catch (platform::ProgramEnd& e) {
        if (end.message.empty()) end = std::move(e);
    }
    if (!end.message.empty()) say(end.message);
    return end.exit_code;
}

}  // namespace pw::app
