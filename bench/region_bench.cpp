// Region costs on a frame's typical work: clipping a sprite-sized shape (about ten rectangles)
// against a large banded shape such as the scenery strip (about a thousand), and moving a
// shape each frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/region.hpp"

namespace {

// A ship-like silhouette: ten rows of differing widths, one rectangle each.
pw::Region small_shape() {
    std::vector<std::int32_t> words{32, 1, 10, 160, 0, 0, 0, 0};
    for (std::int32_t i = 0; i < 10; ++i) {
        const std::int32_t inset = i < 5 ? 5 - i : i - 4;
        words.insert(words.end(), {100 + inset * 4, 300 + i * 3, 160 - inset * 4, 303 + i * 3});
    }
    return *pw::Region::from_data(words, words.size() * sizeof(std::int32_t));
}

// A skyline: 100 bands of 10 separate runs each, every band different.
pw::Region banded_shape() {
    std::vector<std::int32_t> words{32, 1, 1000, 16000, 0, 0, 0, 0};
    for (std::int32_t band = 0; band < 100; ++band) {
        for (std::int32_t run = 0; run < 10; ++run) {
            const std::int32_t left = run * 40 + (band * 7 + run * 3) % 11;
            words.insert(words.end(), {left, band * 4, left + 20 + band % 9, band * 4 + 4});
        }
    }
    return *pw::Region::from_data(words, words.size() * sizeof(std::int32_t));
}

void BM_RegionCombineAnd(benchmark::State& state) {
    const pw::Region sprite = small_shape(), scenery = banded_shape();
    pw::Region out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(out.combine(sprite, scenery, pw::CombineMode::And));
    }
    state.counters["rects"] = static_cast<double>(out.rect_count());
}
BENCHMARK(BM_RegionCombineAnd);

void BM_RegionOffset(benchmark::State& state) {
    pw::Region shape = banded_shape();
    std::int32_t step = 1;
    for (auto _ : state) {
        shape.offset(step, -step);
        step = -step;
        benchmark::DoNotOptimize(shape.bounds());
    }
}
BENCHMARK(BM_RegionOffset);

}  // namespace
