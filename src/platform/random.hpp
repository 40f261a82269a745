// The game's one random generator: uniform values in [0, 1). Re-seeding from the clock mixes
// the reading into the current state, so two re-seeds in the same millisecond never replay
// the same draws.
#pragma once

#include <cstdint>

namespace pw {

class Random {
  public:
    explicit Random(std::uint64_t seed = 0x5eed) : state_(seed) {}

    void seed(std::uint64_t seed) { state_ = seed; }
    void reseed_from_clock(std::uint32_t clock_ms) {
        state_ = mix(state_ ^ (0x9e3779b97f4a7c15ULL * (clock_ms + 1ULL)));
    }
    // Rnd: a Single in [0, 1) with 24 random bits, so every value is exact.
    float next() {
        state_ += 0x9e3779b97f4a7c15ULL;
        return static_cast<float>(mix(state_) >> 40) * (1.0f / 16777216.0f);
    }

  private:
    static std::uint64_t mix(std::uint64_t z) {  // splitmix64 finaliser
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

}  // namespace pw
