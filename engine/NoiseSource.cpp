#include "engine/NoiseSource.h"

#include <atomic>
#include <cstring>

namespace {
constexpr uint32_t kMultiplier = 1664525u;
constexpr uint32_t kIncrement = 1013904223u;

std::atomic<uint32_t> gNoiseState{2u};
static_assert(std::atomic<uint32_t>::is_always_lock_free, "the noise state must be lock-free");
}  // namespace

NoiseJump NoiseJumpFor(uint64_t count) noexcept {
  // x -> a*x + c composed with itself by squaring: O(log count) steps.
  uint32_t accMul = 1u, accAdd = 0u;
  uint32_t mul = kMultiplier, add = kIncrement;
  while (count != 0) {
    if (count & 1u) {
      accMul *= mul;
      accAdd = accAdd * mul + add;
    }
    add = (mul + 1u) * add;
    mul *= mul;
    count >>= 1;
  }
  return NoiseJump{accMul, accAdd};
}

uint32_t AdvanceNoiseState(uint32_t state, uint64_t count) noexcept { return NoiseJumpFor(count).Apply(state); }

NoiseSource NoiseSource::Reserve(NoiseJump jump) noexcept {
  uint32_t start = gNoiseState.load(std::memory_order_relaxed);
  while (!gNoiseState.compare_exchange_weak(start, jump.Apply(start), std::memory_order_relaxed)) {
  }
  return NoiseSource(start);
}

NoiseSource NoiseSource::Reserve(uint64_t draws) noexcept { return Reserve(NoiseJumpFor(draws)); }

void SeedNoiseSource(uint32_t seed) noexcept { gNoiseState.store(seed, std::memory_order_relaxed); }
