// The kernel against the plain model of the signal flow, sample for sample, over long renders with
// changing block sizes, gate changes, parameter changes and resets between blocks.
#include "KernelTestSupport.h"
#include "SignalFlowModel.h"

#include "engine/NoiseSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <xmmintrin.h>

namespace {

// The kernel renders in flush-to-zero mode; the model runs in the same mode so that both see
// the same floating-point environment.
struct FlushToZero {
  unsigned saved = _mm_getcsr();
  FlushToZero() { _mm_setcsr(saved | 0x8040u); }
  ~FlushToZero() { _mm_setcsr(saved); }
};

// A small deterministic generator, identical on every platform and library.
struct Dice {
  uint64_t s;
  uint64_t Next() {
    s += 0x9E3779B97F4A7C15ull;
    uint64_t z = s;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
};

// The largest difference the kernel may show against the model.
constexpr double kTolerance = 0.0;

struct Scenario {
  double rate;
  double seconds;
  uint64_t seed;
};

// Plays a random but reproducible session into both and returns the largest difference.
double Compare(const Scenario& sc, std::set<int>* blockSizes, double* loudness) {
  const uint32_t noiseSeed = 2u + static_cast<uint32_t>(sc.seed);
  SeedNoiseSource(noiseSeed);
  KernelRunner kernel(sc.rate, 1000);
  model::SignalFlowModel ref(sc.rate, noiseSeed);
  std::vector<double> m1(1000), m2(1000);
  Dice dice{sc.seed};
  const int sound[] = {model::kFade,       model::kFoliageLevel, model::kMainVolume, model::kWindLevel,
                       model::kFoliageDepth, model::kWindDepth,  model::kSoundfield, model::kEnergy,
                       model::kDispersion, model::kSpeed};
  const long total = static_cast<long>(sc.rate * sc.seconds);
  long nextGate = 0;
  double worst = 0.0;
  for (long done = 0; done < total;) {
    auto set = [&](int index, double v) {
      kernel.Set(index, v);
      ref.Set(index, v);
    };
    if (done >= nextGate) {
      // Mostly clean opens and closes, now and then a step that must trigger nothing.
      const double gates[] = {0.0, 1.0, 0.0, 1.0, 0.5};
      set(model::kGate, gates[dice.Below(5)]);
      nextGate = done + static_cast<long>(sc.rate * (0.02 + 3.0 * dice.Unit()));
    }
    if (dice.Below(5) == 0) {
      // Occasionally beyond the range, to exercise the clamps on both sides.
      set(sound[dice.Below(10)], -0.1 + 1.2 * dice.Unit());
    }
    if (dice.Below(5) == 0) set(model::kFade, 0.5 * dice.Unit());  // fades that finish
    if (dice.Below(3000) == 0) {
      ResetKernel(kernel.k, sc.rate, 1000);
      ref.Reset(sc.rate);
    }
    const int pick = dice.Below(10);
    int n = pick == 0 ? 1 : (pick == 1 ? 1000 : 1 + dice.Below(1000));
    if (n > total - done) n = static_cast<int>(total - done);
    blockSizes->insert(n);
    EXPECT_EQ(0, kernel.Block(n));
    {
      FlushToZero mode;
      ref.Render(m1.data(), m2.data(), n);
    }
    for (int i = 0; i < n; ++i) {
      const double d = std::fmax(std::fabs(kernel.left[i] - m1[i]), std::fabs(kernel.right[i] - m2[i]));
      if (!(d <= kTolerance)) {
        ADD_FAILURE() << "rate " << sc.rate << " sample " << done + i << ": kernel " << kernel.left[i] << ", "
                      << kernel.right[i] << " model " << m1[i] << ", " << m2[i];
        return d;
      }
      worst = std::fmax(worst, d);
      *loudness += m1[i] * m1[i] + m2[i] * m2[i];
    }
    done += n;
  }
  return worst;
}

}  // namespace

TEST(SignalFlowModel, KernelFollowsTheModelSampleForSample) {
  const Scenario scenarios[] = {
      {22050.0, 40.0, 1}, {44100.0, 30.0, 2}, {48000.0, 30.0, 3}, {96000.0, 20.0, 4},
  };
  for (const Scenario& sc : scenarios) {
    std::set<int> sizes;
    double loudness = 0.0;
    const double worst = Compare(sc, &sizes, &loudness);
    EXPECT_LE(worst, kTolerance) << sc.rate;
    // Agreement on silence would prove nothing.
    EXPECT_GT(std::sqrt(loudness / (2.0 * sc.rate * sc.seconds)), 0.005) << sc.rate;
    // The session must really have changed its block size across the whole range.
    EXPECT_EQ(1, *sizes.begin()) << sc.rate;
    EXPECT_EQ(1000, *sizes.rbegin()) << sc.rate;
    EXPECT_GT(sizes.size(), 300u) << sc.rate;
  }
}
