// A game on a fresh virtual desktop, for tests that call the game's routines directly.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "driver/mod_main.hpp"
#include "driver/window_handlers.hpp"
#include "game/game_state.hpp"
#include "platform/headless/headless_desktop.hpp"
#include "rgn/mod_RGN_pop.hpp"
#include "store/mod_RGN_Data.hpp"

namespace pw::test {

inline headless::Options default_desktop() {
    headless::Options o;
    o.until = 10'000'000;
    return o;
}

// The stores are filled and one game is set up, as at the title.
class GameFixture : public ::testing::Test {
  protected:
    explicit GameFixture(headless::Options options = default_desktop())
        : desktop(std::move(options)), g(std::make_unique<Game>(desktop)) {
        ConnectHandlers(*g);
        RGNDataLoad(g->rgnStore);
        RGNPopInit(*g);
        GameSetup(*g);
    }

    // Lets virtual time pass and pumps, as the frame loop's wait and pump would.
    void Advance(std::uint32_t ms) {
        desktop.sleep_ms(ms);
        g->DoEvents();
    }

    headless::HeadlessDesktop desktop;
    std::unique_ptr<Game> g;
};

}  // namespace pw::test
