// The module-wide white-noise generator: one 32-bit linear congruential state shared by every
// kernel of the loaded module, seeded with 2 at load and never reseeded by kernels.
//
// A kernel does not touch the shared state per draw. At the start of a block it reserves the
// draws it will make (`NoiseSource::Reserve`), which advances the shared state past them with one
// compare-and-swap, and then draws from its private copy. One thread alone therefore sees exactly
// the plain sequence, and kernels on different threads never share a stretch of it.
#pragma once

#include <cstdint>

class NoiseSource {
 public:
  // Claims the next `draws` values of the shared sequence for this block (any thread).
  static NoiseSource Reserve(uint64_t draws) noexcept;

  // One value in [-1, 1): the float 1 <= f < 2 built from the low 23 state bits, times 2 minus 3,
  // in single precision.
  double Draw() noexcept {
    mState = mState * 1664525u + 1013904223u;
    return static_cast<double>(ToUnitFloat(mState) * 2.0f - 3.0f);
  }

  static float ToUnitFloat(uint32_t state) noexcept;

 private:
  explicit NoiseSource(uint32_t state) noexcept : mState(state) {}
  uint32_t mState;
};

// Sets the shared state (the module does this with 2 at load; tests use it to restart the sequence).
void SeedNoiseSource(uint32_t seed) noexcept;

// The state that `count` draws starting from `state` leave behind (jump-ahead of the generator).
uint32_t AdvanceNoiseState(uint32_t state, uint64_t count) noexcept;
