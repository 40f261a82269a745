// The cost of one frame of combat at its busiest: six enemies, six enemy shots, the ship's
// shot and a whole fountain in the air. The frame's wait and the desktop's drawing are not
// part of it.
#include <benchmark/benchmark.h>

#include "combat/mod_EShot.hpp"
#include "combat/mod_Enemy.hpp"
#include "combat/mod_Player.hpp"
#include "combat/mod_Shot.hpp"
#include "combat/mod_barn.hpp"
#include "driver/mod_main.hpp"
#include "game/game_state.hpp"
#include "platform/headless/headless_desktop.hpp"
#include "store/mod_RGN_Data.hpp"

namespace pw {
namespace {

struct BusyFight {
    headless::HeadlessDesktop desktop{[] {
        headless::Options o;
        o.until = 1'000'000'000;
        return o;
    }()};
    Game g{desktop};

    // The records as they stand at the start of the measured frame.
    PLAYER_INFO player;
    std::array<SHOT_INFO, 3> shots;
    std::array<ENEMY_INFO, 6> enemies;
    std::array<ESHOT_INFO, 6> eshots;
    std::array<BARN_INFO, 21> barn;

    BusyFight() {
        RGNDataLoad(g.rgnStore);
        GameSetup(g);
        const float px = 15;
        g.tPlayer.nX = 200 * px;  // in the first combat zone
        g.tPlayer.nY = 9000;
        for (std::size_t i = 0; i < 6; ++i) {
            auto& e = g.tEnemy[i];
            e.nType = 1;
            e.nMove = 1;
            e.nX = (260 + 40 * static_cast<float>(i)) * px;
            e.nY = 10000;
            e.nWaveStep = 0.05f;
            e.nWaveEnd = 40;
            e.nWave = 0;
            g.tEShot[i] = {(320 + 30 * static_cast<float>(i)) * px, 9500, -30, 2, 1};
        }
        g.tShot[0] = {230 * px, 9075, 8 * px, 1, 900 * px};
        BarnStart(g, 560 * px, g.frmBG->Top() + 83 * px, 0);
        for (int step = 0; step < 5; ++step)
            BarnMove(g);
        player = g.tPlayer;
        shots = g.tShot;
        enemies = g.tEnemy;
        eshots = g.tEShot;
        barn = g.tBarn;
    }

    void Restore() {
        g.tPlayer = player;
        g.tShot = shots;
        g.tEnemy = enemies;
        g.tEShot = eshots;
        g.tBarn = barn;
        g.nEnemyMax = 5;
        g.nAppearWait = 0;
        g.nAppearNo = 5;
    }

    // The combat steps of one frame, in the game flow's order.
    void Frame() {
        PlayerMove(g);
        ShotMove(g);
        BarnMove(g);
        EnemyAppear(g);
        EnemyMove(g);
        EShotMove(g);
        EnemyBurn(g);
        PlayerCrashEnemy(g);
        PlayerCrashBG(g);
        PlayerHit(g);
    }
};

void BM_BusyCombatFrame(benchmark::State& state) {
    BusyFight fight;
    for (auto _ : state) {
        state.PauseTiming();
        fight.Restore();
        state.ResumeTiming();
        fight.Frame();
    }
    // The frame must not have ended anything early: all of it was measured.
    if (fight.g.tPlayer.bHit != kFalse) state.SkipWithError("the ship was hit");
    int alive = 0;
    for (const auto& e : fight.g.tEnemy)
        alive += e.nType == 1;
    if (alive != 6) state.SkipWithError("an enemy left the fight");
}
BENCHMARK(BM_BusyCombatFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pw
