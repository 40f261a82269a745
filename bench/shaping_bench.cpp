// The cost of shaping: a region from each slot of the store, and the ship-against-scenery
// test that runs every frame.
#include <benchmark/benchmark.h>

#include "game/game_state.hpp"
#include "platform/headless/headless_desktop.hpp"
#include "rgn/mod_RGN_Proc.hpp"
#include "store/mod_RGN_Data.hpp"

namespace pw {
namespace {

struct World {
    headless::HeadlessDesktop desktop{headless::Options{}};
    Game g{desktop};
    World() { RGNDataLoad(g.rgnStore); }
};

World& world() {
    static World w;
    return w;
}

void BM_RGNCreate(benchmark::State& state) {
    const int slot = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(RGNCreate(world().g, slot));
}
BENCHMARK(BM_RGNCreate)->DenseRange(0, 15);

void BM_ShipAgainstScenery(benchmark::State& state) {
    auto& g = world().g;
    for (auto _ : state) {
        Region ship = RGNCreate(g, 11);
        Region ground = RGNCreate(g, 6);
        ship.offset(500, 60);
        benchmark::DoNotOptimize(ground.combine(ground, ship, CombineMode::And));
    }
}
BENCHMARK(BM_ShipAgainstScenery);

}  // namespace
}  // namespace pw
