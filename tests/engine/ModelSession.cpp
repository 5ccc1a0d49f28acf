#include "ModelSession.h"

#include "SignalFlowModel.h"

#include "engine/KernelParams.h"
#include "engine/NoiseSource.h"
#include "engine/SynthKernel.h"

#include <cmath>
#include <vector>
#include <xmmintrin.h>

namespace {

// Round to nearest, exceptions masked, flush-to-zero: the mode the kernel renders in.
constexpr unsigned kKernelMode = 0x9FC0u;

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

}  // namespace

SessionResult PlaySession(const SessionSpec& session, double bound,
                          const std::function<void(const double*, const double*, int)>& sink) {
  SessionResult result;
  const uint32_t noiseSeed = 2u + static_cast<uint32_t>(session.seed);
  SeedNoiseSource(noiseSeed);
  SynthKernel* kernel = CreateKernel(session.rate);
  model::SignalFlowModel ref(session.rate, noiseSeed);
  std::vector<double> in(1000), k1(1000), k2(1000), m1(1000), m2(1000);
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {k1.data(), k2.data()};
  Dice dice{session.seed};
  const int sound[] = {model::kFade,       model::kFoliageLevel, model::kMainVolume, model::kWindLevel,
                       model::kFoliageDepth, model::kWindDepth,  model::kSoundfield, model::kEnergy,
                       model::kDispersion, model::kSpeed};
  auto set = [&](int index, double v) {
    SetKernelParam(kernel, index, v);
    ref.Set(index, v);
  };
  const long total = static_cast<long>(session.rate * session.seconds);
  long nextGate = 0;
  double sumSquares = 0.0;
  long done = 0;
  while (done < total) {
    if (done >= nextGate) {
      // Mostly clean opens and closes, now and then a step that must trigger nothing.
      const double gates[] = {0.0, 1.0, 0.0, 1.0, 0.5};
      set(model::kGate, gates[dice.Below(5)]);
      nextGate = done + static_cast<long>(session.rate * (0.02 + 3.0 * dice.Unit()));
    }
    if (dice.Below(5) == 0) set(sound[dice.Below(10)], -0.1 + 1.2 * dice.Unit());
    if (dice.Below(5) == 0) set(model::kFade, 0.5 * dice.Unit());  // fades that finish
    if (dice.Below(3000) == 0) {
      ResetKernel(kernel, session.rate, 1000);
      ref.Reset(session.rate);
    }
    const int pick = dice.Below(10);
    int n = pick == 0 ? 1 : (pick == 1 ? 1000 : 1 + dice.Below(1000));
    if (n > total - done) n = static_cast<int>(total - done);
    result.blockSizes.insert(n);

    const unsigned saved = _mm_getcsr();
    _mm_setcsr(session.callerMode);
    PerformKernel(kernel, ins, outs, n);
    if (_mm_getcsr() != session.callerMode) result.modeKept = false;
    _mm_setcsr(kKernelMode);
    ref.Render(m1.data(), m2.data(), n);
    _mm_setcsr(saved);

    if (sink) sink(k1.data(), k2.data(), n);
    for (int i = 0; i < n; ++i) {
      const double d = std::fmax(std::fabs(k1[i] - m1[i]), std::fabs(k2[i] - m2[i]));
      if (!(d <= bound)) {
        result.worst = d;
        result.firstOver = done + i;
        DestroyKernel(kernel);
        return result;
      }
      result.worst = std::fmax(result.worst, d);
      sumSquares += m1[i] * m1[i] + m2[i] * m2[i];
    }
    done += n;
  }
  result.loudness = std::sqrt(sumSquares / (2.0 * static_cast<double>(total)));
  DestroyKernel(kernel);
  return result;
}
