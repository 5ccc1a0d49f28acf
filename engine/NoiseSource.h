// The module-wide white-noise generator: one 32-bit linear congruential state shared by every
// kernel of the loaded module, seeded with 2 at load and never reseeded by kernels.
//
// A kernel does not touch the shared state per draw. At the start of a block it reserves the
// draws it will make (`NoiseSource::Reserve`), which advances the shared state past them with one
// compare-and-swap, and then draws from its private copy. One thread alone therefore sees exactly
// the plain sequence, and kernels on different threads never share a stretch of it.
#pragma once

#include <cstdint>
#include <cstring>
#include <emmintrin.h>

// What `count` draws do to the generator's state: x -> mul x + add.
struct NoiseJump {
  uint32_t mul = 1u, add = 0u;
  uint32_t Apply(uint32_t state) const noexcept { return mul * state + add; }
};
NoiseJump NoiseJumpFor(uint64_t count) noexcept;

class NoiseSource {
 public:
  // Claims the next `draws` values of the shared sequence for this block (any thread).
  static NoiseSource Reserve(uint64_t draws) noexcept;
  // The same with the jump over those draws worked out beforehand (NoiseJumpFor).
  static NoiseSource Reserve(NoiseJump jump) noexcept;

  // One value in [-1, 1): the float 1 <= f < 2 built from the low 23 state bits, times 2 minus 3,
  // in single precision.
  double Draw() noexcept {
    mState = mState * kMultiplier + kIncrement;
    return Value(mState);
  }

  // The next `count` draws, exactly as `count` calls of Draw give them. Four interleaved chains
  // that each step four draws at a time keep the generator off the critical path.
  void Fill(double* out, int count) noexcept {
    constexpr uint32_t a2 = kMultiplier * kMultiplier, a3 = a2 * kMultiplier, a4 = a3 * kMultiplier;
    constexpr uint32_t c4 = kIncrement * (a3 + a2 + kMultiplier + 1u);
    int i = 0;
    if (count >= 4) {
      uint32_t s0 = mState * kMultiplier + kIncrement;
      uint32_t s1 = s0 * kMultiplier + kIncrement;
      uint32_t s2 = s1 * kMultiplier + kIncrement;
      uint32_t s3 = s2 * kMultiplier + kIncrement;
      const __m128i mantissa = _mm_set1_epi32(0x007FFFFF), one = _mm_set1_epi32(0x3F800000);
      const __m128 two = _mm_set1_ps(2.0f), three = _mm_set1_ps(3.0f);
      for (;;) {
        // The same single-precision steps as Value, four lanes at a time.
        const __m128i bits = _mm_or_si128(
            one, _mm_and_si128(_mm_set_epi32(static_cast<int>(s3), static_cast<int>(s2), static_cast<int>(s1),
                                             static_cast<int>(s0)),
                               mantissa));
        const __m128 v = _mm_sub_ps(_mm_mul_ps(_mm_castsi128_ps(bits), two), three);
        _mm_storeu_pd(out + i, _mm_cvtps_pd(v));
        _mm_storeu_pd(out + i + 2, _mm_cvtps_pd(_mm_movehl_ps(v, v)));
        mState = s3;
        i += 4;
        if (count - i < 4) break;
        s0 = s0 * a4 + c4;
        s1 = s1 * a4 + c4;
        s2 = s2 * a4 + c4;
        s3 = s3 * a4 + c4;
      }
    }
    for (; i < count; ++i) out[i] = Draw();
  }

  // Of the next 3 * `count` draws, only every third one (the third, sixth, ...), exactly as the
  // plain draws give them; the generator ends past all 3 * `count`. Four lanes each jump twelve
  // draws at a time.
  void FillEveryThird(double* out, int count) noexcept {
    constexpr uint32_t a2 = kMultiplier * kMultiplier, a3 = a2 * kMultiplier;
    constexpr uint32_t c3 = kIncrement * (a2 + kMultiplier + 1u);
    constexpr uint32_t a6 = a3 * a3, c6 = c3 * a3 + c3;
    constexpr uint32_t a12 = a6 * a6, c12 = c6 * a6 + c6;
    int i = 0;
    if (count >= 4) {
      __m128i s = mLanes;
      if (!(mHaveLanes && mLanesFrom == mState)) {
        const uint32_t s0 = mState * a3 + c3, s1 = s0 * a3 + c3, s2 = s1 * a3 + c3, s3 = s2 * a3 + c3;
        s = _mm_set_epi32(static_cast<int>(s3), static_cast<int>(s2), static_cast<int>(s1), static_cast<int>(s0));
      }
      const __m128i mul = _mm_set1_epi32(static_cast<int>(a12)), add = _mm_set1_epi32(static_cast<int>(c12));
      const __m128i mantissa = _mm_set1_epi32(0x007FFFFF), one = _mm_set1_epi32(0x3F800000);
      const __m128 two = _mm_set1_ps(2.0f), three = _mm_set1_ps(3.0f);
      for (;;) {
        const __m128i bits = _mm_or_si128(one, _mm_and_si128(s, mantissa));
        const __m128 v = _mm_sub_ps(_mm_mul_ps(_mm_castsi128_ps(bits), two), three);
        _mm_storeu_pd(out + i, _mm_cvtps_pd(v));
        _mm_storeu_pd(out + i + 2, _mm_cvtps_pd(_mm_movehl_ps(v, v)));
        i += 4;
        const uint32_t last = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_shuffle_epi32(s, _MM_SHUFFLE(3, 3, 3, 3))));
        // s * a12 + c12 in each 32-bit lane: the low halves of two 32 x 32 -> 64 products.
        const __m128i even = _mm_mul_epu32(s, mul);
        const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(s, 32), mul);
        s = _mm_add_epi32(_mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                             _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0))),
                          add);
        if (count - i < 4) {
          // The lanes of the next call, if it starts from here.
          mState = last;
          mLanes = s;
          mLanesFrom = last;
          mHaveLanes = true;
          break;
        }
      }
    }
    for (; i < count; ++i) {
      mState = mState * a2 + kIncrement * (kMultiplier + 1u);
      out[i] = Draw();
    }
  }

  static float ToUnitFloat(uint32_t state) noexcept {
    const uint32_t bits = 0x3F800000u | (state & 0x007FFFFFu);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  static constexpr uint32_t kMultiplier = 1664525u;
  static constexpr uint32_t kIncrement = 1013904223u;
  static double Value(uint32_t state) noexcept { return static_cast<double>(ToUnitFloat(state) * 2.0f - 3.0f); }
  explicit NoiseSource(uint32_t state) noexcept : mState(state) {}
  uint32_t mState;
  // FillEveryThird's four lane states for the next call, valid while the state is mLanesFrom.
  __m128i mLanes = _mm_setzero_si128();
  uint32_t mLanesFrom = 0;
  bool mHaveLanes = false;
};

// Sets the shared state (the module does this with 2 at load; tests use it to restart the sequence).
void SeedNoiseSource(uint32_t seed) noexcept;

// The state that `count` draws starting from `state` leave behind (jump-ahead of the generator).
uint32_t AdvanceNoiseState(uint32_t state, uint64_t count) noexcept;
