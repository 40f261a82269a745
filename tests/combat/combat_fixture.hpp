// A game set up as at the title, with some keys held down for the whole test, and helpers
// to put enemies, shots and the ship where a case needs them.
#pragma once

#include <initializer_list>

#include "support/game_fixture.hpp"

namespace pw::test {

inline headless::Options holding(std::initializer_list<platform::Key> keys) {
    auto o = default_desktop();
    for (auto k : keys)
        o.script.keys.push_back({0, k, true});
    return o;
}

class CombatFixture : public GameFixture {
  protected:
    explicit CombatFixture(std::initializer_list<platform::Key> keys = {})
        : GameFixture(holding(keys)) {}

    static constexpr float kPx = 15;  // twips per pixel on the virtual desktop

    // The bottom of the work area and the top of the scenery strip, twips.
    static constexpr float kWorkBottom = 11070;
    static constexpr float kGroundTop = kWorkBottom - 1485;

    ENEMY_INFO& Enemy(std::size_t i) { return g->tEnemy[i]; }
    win::FrmEnemy& EnemyWindow(std::size_t i) { return *g->frmEnemies[i]; }

    // An alive straight flyer at (x, y) twips.
    ENEMY_INFO& AliveEnemy(std::size_t i, float x, float y) {
        auto& e = g->tEnemy[i];
        e.nType = 1;
        e.nX = x;
        e.nY = y;
        e.nMove = 0;
        e.nWaveStep = 0;
        e.nWaveEnd = 50;
        e.nWave = 0;
        return e;
    }

    void PutShip(float x, float y) {
        g->tPlayer.nX = x;
        g->tPlayer.nY = y;
        g->frmPlayer->Move(x, y);
    }
};

}  // namespace pw::test
