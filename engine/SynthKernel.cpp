// The perform routine renders a block in chunks of up to kChunk samples, one pass per stage of the
// signal flow. One sample's path through the whole flow is a single long dependent chain, so a
// sample-by-sample loop leaves the processor waiting; in passes, consecutive samples overlap:
// - the stages that carry state from sample to sample run side by side in one loop, each on its
//   own chunk: chunk t's modulators, chunk t - 1's one-pole cascade and chunk t - 2's filters;
//   the two modulators share one register, and so do the two filter pairs;
// - the stages without state (sines, coefficients, mix, delay reads) are vector passes, four
//   lanes wide where the processor has AVX and two lanes wide otherwise, with the same figures;
// - a held note or a silent envelope fills the chunk with a constant, fades step their ramp
//   first and their power curve after, off the smoother's chain, and chunks in which no
//   modulator latches draw only the cascade's noise.
// Every output stays within 1e-12 of the plain per-sample order: the sines are a polynomial within
// an ulp or so of the library's for the arguments these filters use, the fade curve is
// c^2 e^(0.001 ln c) instead of pow, the one-pole stages and the filters' high-pass sum are
// regrouped, and the hand flushes of tiny states are left to the flush-to-zero mode (denormals
// are the only thing they cleared that matters for speed).
#include "engine/SynthKernel.h"

#include "engine/DenormalGuard.h"
#include "engine/KernelChunk.h"
#include "engine/NoiseSource.h"

#include <cmath>
#include <cstring>
#include <emmintrin.h>
#include <atomic>
#include <new>

using namespace sylvane_kernel;

namespace {

struct ParamDefault {
  double value, min, max;
};

// Default, minimum and maximum of each parameter, in index order.
constexpr ParamDefault kDefaults[kKernelParamCount] = {
    {0.3, 0, 1},    {0.8, 0, 1},   {0.75, 0, 1}, {0.5, 0, 1}, {0, 0, 1},    {120, 0, 1000}, {0, 0, 1},
    {1, 1, 1},      {0.8, 0, 1},   {1, 0, 1},    {0, 0, 1},   {0, 0, 1},    {0, 0, 1},      {0, 0, 1},
    {0, -1, 10000}, {0, 0, 1},     {0.3, 0, 1},  {0, 0, 1},   {64, 0, 127}, {0, 0, 1},      {64, 0, 127},
    {0, 0, 0},      {1, 1, 1},     {0.94, 0, 1}, {0.12, 0, 1}, {0, 0, 1}};

constexpr double kEnvelopeExponent = 2.001;

inline double Clamp(double x, double lo, double hi) noexcept {
  if (x < lo) return lo;
  if (x >= hi) return hi;
  return x;
}

// For operands that are never NaN this is Clamp without a branch.
inline __m128d ClampPd(__m128d x, __m128d lo, __m128d hi) noexcept { return _mm_min_pd(_mm_max_pd(x, lo), hi); }

// sin(num / sr), taken as sin(0) when the rate is 0.
inline double SineOverRate(double num, double sr) noexcept { return sr == 0.0 ? 0.0 : std::sin(num / sr); }

// The two-integrator filter diverges once f^2 + 2fq reaches 4 (a 5000 Hz corner below about
// 14.5 kHz sampling). Such a coefficient is pulled well inside the stable region; every
// coefficient that is already stable is kept bit for bit.
inline double StableCoefficient(double f, double q) noexcept {
  const double limit = std::sqrt(q * q + 4.0) - q;
  if (f >= limit) return 0.9 * limit;
  return f < 0.0 ? 0.0 : f;
}

// For a power-of-two lane count.
inline int RoundUp(int count, int lanes) noexcept { return (count + lanes - 1) & -lanes; }

// The four-lane passes need AVX in the processor and its registers saved by the system; the
// compiler's check covers both. Read once at load, so that no block waits on it.
bool HasAvx() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx") != 0;
}
const bool gHasAvx = HasAvx();
std::atomic<bool> gWideAllowed{true};

const VectorPasses& ChoosePasses() noexcept {
  return gHasAvx && gWideAllowed.load(std::memory_order_relaxed) ? kFourLanePasses : kTwoLanePasses;
}

// Zero for magnitudes below 2^-1021 (biased exponent 0 or 1).
inline double FlushTiny(double x) noexcept {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return ((bits >> 52) & 0x7FFu) < 2u ? 0.0 : x;
}

// One step of the fade envelope; returns the smoothed level clipped to [0, 1].
double EnvelopeStep(SynthKernel& k, double gate, double fadeTime, double sr, double fall) noexcept {
  const double attackTime = fadeTime * (1.0 - k.envAttackFrom);
  const double releaseTime = fadeTime * k.envReleaseFrom;
  const double change = gate - k.envPreviousGate;
  if (change == 1.0) {
    k.envStage = kEnvAttack;
    k.envAttackFrom = k.envLevel;
    k.envRamp = 0.0;
  }
  if (change == -1.0) {
    k.envStage = kEnvRelease;
    k.envReleaseFrom = k.envLevel;
    k.envRamp = 0.0;
  }
  k.envPreviousGate = gate;

  switch (k.envStage) {
    case kEnvAttack: {
      const double samples = attackTime * sr;
      k.envRamp += samples == 0.0 ? 0.0 : 1.0 / samples;
      k.envLevel = k.envAttackFrom + (1.0 - k.envAttackFrom) * std::pow(k.envRamp, kEnvelopeExponent);
      if (k.envRamp > 1.0) {
        k.envStage = kEnvHold;
        k.envRamp = 0.0;
        k.envLevel = 1.0;
      }
      break;
    }
    case kEnvHold:
      k.envLevel = 1.0;
      break;
    case kEnvRelease: {
      const double samples = releaseTime * sr;
      k.envRamp += samples == 0.0 ? 0.0 : 1.0 / samples;
      const double rest = 1.0 - k.envRamp;
      k.envLevel = k.envReleaseFrom * (rest < 0.0 ? 0.0 : std::pow(rest, kEnvelopeExponent));
      if (k.envRamp > 3.0) {
        k.envStage = kEnvIdle;
        k.envRamp = 0.0;
        k.envLevel = 0.0;
      }
      break;
    }
    default:
      break;
  }

  const double target = k.envLevel;
  k.envSmoothed = FlushTiny(k.envSmoothed + (target - k.envSmoothed) * (target > k.envSmoothed ? 1.0 : fall));
  const double level = k.envSmoothed;
  if (level < 0.00000001 || level <= 0.0) return 0.0;
  if (level >= 1.0) return 1.0;
  return level;
}

// c^2.001 for 0.001 <= c <= 1, two at a time, as c^2 e^t with t = 0.001 ln c in [-0.0070, 0].
// ln c = e ln 2 + 2 atanh((m - 1) / (m + 1)) with c = m 2^e, m in [sqrt(1/2), sqrt(2)); the
// atanh series to the 15th power leaves an error below 1e-14 in ln c, 1e-17 in t; the exponential's
// series to t^6 leaves one below 1e-18. The result stays within a few ulps of pow's.
constexpr double kFadePowerFloor = 0.001;
inline __m128d FadePowerPd(__m128d c) noexcept {
  const __m128i bits = _mm_castpd_si128(c);
  const __m128i exponentMask = _mm_set1_epi64x(0x7FF0000000000000ll);
  // m in [1, 2) and its exponent; m above sqrt(2) is halved.
  __m128d m = _mm_castsi128_pd(_mm_or_si128(_mm_andnot_si128(exponentMask, bits), _mm_set1_epi64x(0x3FF0000000000000ll)));
  const __m128i biased = _mm_srli_epi64(_mm_and_si128(bits, exponentMask), 52);
  __m128d e = _mm_sub_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(biased, _MM_SHUFFLE(3, 1, 2, 0))), _mm_set1_pd(1023.0));
  const __m128d big = _mm_cmpgt_pd(m, _mm_set1_pd(1.4142135623730951));
  m = _mm_sub_pd(m, _mm_and_pd(big, _mm_mul_pd(m, _mm_set1_pd(0.5))));
  e = _mm_add_pd(e, _mm_and_pd(big, _mm_set1_pd(1.0)));
  const __m128d s = _mm_div_pd(_mm_sub_pd(m, _mm_set1_pd(1.0)), _mm_add_pd(m, _mm_set1_pd(1.0)));
  const __m128d z = _mm_mul_pd(s, s);
  __m128d p = _mm_set1_pd(1.0 / 15);
  p = _mm_add_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.0 / 13));
  p = _mm_add_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.0 / 11));
  p = _mm_add_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.0 / 9));
  p = _mm_add_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.0 / 7));
  p = _mm_add_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.0 / 5));
  p = _mm_add_pd(_mm_mul_pd(p, z), _mm_set1_pd(1.0 / 3));
  const __m128d lnM = _mm_mul_pd(_mm_set1_pd(2.0), _mm_add_pd(s, _mm_mul_pd(_mm_mul_pd(s, z), p)));
  const __m128d lnC = _mm_add_pd(_mm_mul_pd(e, _mm_set1_pd(0.6931471805599453)), lnM);
  const __m128d t = _mm_mul_pd(_mm_set1_pd(0.001), lnC);
  __m128d x = _mm_set1_pd(1.0 / 720);
  x = _mm_add_pd(_mm_mul_pd(x, t), _mm_set1_pd(1.0 / 120));
  x = _mm_add_pd(_mm_mul_pd(x, t), _mm_set1_pd(1.0 / 24));
  x = _mm_add_pd(_mm_mul_pd(x, t), _mm_set1_pd(1.0 / 6));
  x = _mm_add_pd(_mm_mul_pd(x, t), _mm_set1_pd(1.0 / 2));
  x = _mm_add_pd(_mm_mul_pd(x, t), _mm_set1_pd(1.0));
  x = _mm_add_pd(_mm_mul_pd(x, t), _mm_set1_pd(1.0));
  return _mm_mul_pd(_mm_mul_pd(c, c), x);
}
inline double FadePower(double c) noexcept { return _mm_cvtsd_f64(FadePowerPd(_mm_set1_pd(c))); }

// A run of attack or release samples that stay on the curve (no stage change, ramp position at
// least kFadePowerFloor from its end): the ramp is stepped first, then every level, then the
// smoother, so that the power terms no longer sit on the smoother's dependency chain. Returns the
// number of samples done (0 when the next sample needs the general step).
int FadeRun(SynthKernel& k, const BlockSettings& b, double* env, int m) noexcept {
  const bool attack = k.envStage == kEnvAttack;
  const double from = attack ? k.envAttackFrom : k.envReleaseFrom;
  const double samples = b.fadeTime * (attack ? 1.0 - from : from) * b.sr;
  if (samples == 0.0) return 0;
  const double inc = 1.0 / samples;
  double ramp = k.envRamp;
  int count = 0;
  for (; count < m; ++count) {
    const double next = ramp + inc;
    const double base = attack ? next : 1.0 - next;
    if (base < kFadePowerFloor || base > 1.0 || (attack && next > 1.0)) break;
    env[count] = base;
    ramp = next;
  }
  if (count == 0) return 0;
  const double scale = attack ? 1.0 - from : from;
  const double offset = attack ? from : 0.0;
  const __m128d offsetV = _mm_set1_pd(offset), scaleV = _mm_set1_pd(scale);
  int i = 0;
  for (; i + 1 < count; i += 2)
    _mm_storeu_pd(env + i, _mm_add_pd(offsetV, _mm_mul_pd(scaleV, FadePowerPd(_mm_loadu_pd(env + i)))));
  if (i < count) env[i] = offset + scale * FadePower(env[i]);
  double smoothed = k.envSmoothed;
  for (i = 0; i < count; ++i) {
    const double target = env[i];
    smoothed = smoothed + (target - smoothed) * (target > smoothed ? 1.0 : b.fall);
    env[i] = (smoothed < 0.00000001 || smoothed <= 0.0) ? 0.0 : (smoothed >= 1.0 ? 1.0 : smoothed);
  }
  k.envRamp = ramp;
  k.envLevel = offset + scale * FadePower(attack ? ramp : 1.0 - ramp);
  k.envSmoothed = smoothed;
  return count;
}

// Envelope values for `m` samples. A held note at full level and a silent idle envelope stay
// constant, so those chunks skip the per-sample steps; fades run their curve in FadeRun.
void EnvelopePass(SynthKernel& k, const BlockSettings& b, double* env, int m) noexcept {
  for (int i = 0; i < m;) {
    if (b.gate == k.envPreviousGate) {
      const bool full = k.envStage == kEnvHold && k.envLevel == 1.0 && k.envSmoothed == 1.0;
      // Under flush-to-zero the fall's last steps are themselves flushed, which leaves the
      // smoothed level stuck just above the smallest normal number instead of reaching zero:
      // silence all the same (the envelope reads 0 below 1e-8), cleared here.
      const bool silent = k.envStage == kEnvIdle && k.envLevel == 0.0 && k.envSmoothed < 1e-300;
      if (silent) k.envSmoothed = 0.0;
      if (full || silent) {
        const __m128d value = _mm_set1_pd(full ? 1.0 : 0.0);
        for (; i + 1 < m; i += 2) _mm_storeu_pd(env + i, value);
        if (i < m) env[i] = full ? 1.0 : 0.0;
        return;
      }
      if (k.envStage == kEnvAttack || k.envStage == kEnvRelease) {
        const int done = FadeRun(k, b, env + i, m - i);
        if (done > 0) {
          i += done;
          continue;
        }
      }
    }
    env[i] = EnvelopeStep(k, b.gate, b.fadeTime, b.sr, b.fall);
    ++i;
  }
}

// The general delay path, for the first block after a reset (whose first read has a lower bound
// of 0) and for lines without storage.
void DelayPass(DelayLine& line, double delay, const double* mix, double* out, int m) noexcept {
  for (int i = 0; i < m; ++i) {
    out[i] = ReadDelayLine(line, delay);
    WriteDelayLine(line, mix[i]);
  }
}

// Lane helpers: lane 0 and lane 1 of a pair.
inline double Lane0(__m128d x) noexcept { return _mm_cvtsd_f64(x); }
inline double Lane1(__m128d x) noexcept { return _mm_cvtsd_f64(_mm_unpackhi_pd(x, x)); }

// Both modulators, wind in lane 0 and foliage in lane 1, held in registers over a chunk.
struct Modulators {
  __m128d phase, previous, held, slewed;
  __m128d step, slew;

  Modulators(const SynthKernel& k, const BlockSettings& b) noexcept
      : phase(_mm_set_pd(k.foliageMod.phase, k.windMod.phase)),
        previous(_mm_set_pd(k.foliageMod.previousPhase, k.windMod.previousPhase)),
        held(_mm_set_pd(k.foliageMod.held, k.windMod.held)),
        slewed(_mm_set_pd(k.foliageMod.slewed, k.windMod.slewed)),
        step(_mm_set_pd(b.foliageStep, b.windStep)),
        slew(_mm_set1_pd(b.slew)) {}

  void Store(SynthKernel& k) const noexcept {
    k.windMod = RandomModulator{Lane0(phase), Lane0(previous), Lane0(held), Lane0(slewed)};
    k.foliageMod = RandomModulator{Lane1(phase), Lane1(previous), Lane1(held), Lane1(slewed)};
  }

  // Whether no phase wraps or passes 0.5 within the next m steps (with a margin far above the
  // rounding of m additions, for up to a million steps): such a chunk needs neither test.
  bool Quiet(int m) const noexcept {
    const double margin = 1e-9;
    if (m > (1 << 20)) return false;
    for (int lane = 0; lane < 2; ++lane) {
      const double p = lane == 0 ? Lane0(phase) : Lane1(phase);
      const double s = lane == 0 ? Lane0(step) : Lane1(step);
      if (!(p >= 0.0 && s >= 0.0)) return false;
      const double last = p + s * m + margin;
      if (!(last < 1.0) || (p <= 0.5 && !(last <= 0.5))) return false;
    }
    return Lane0(previous) == Lane0(phase) && Lane1(previous) == Lane1(phase);
  }

  // Sample i of the chunk: the outputs o and u.
  template <bool kQuiet>
  inline void Step(ChunkSignals& c, int i) noexcept {
    phase = _mm_add_pd(phase, step);
    if (!kQuiet) {
      const __m128d inside =
          _mm_and_pd(_mm_cmpge_pd(phase, _mm_setzero_pd()), _mm_cmplt_pd(phase, _mm_set1_pd(1.0)));
      if (_mm_movemask_pd(inside) != 3) phase = Wrap(phase);
      const __m128d half = _mm_set1_pd(0.5);
      const __m128d latch = _mm_and_pd(_mm_cmple_pd(previous, half), _mm_cmpgt_pd(phase, half));
      held = _mm_or_pd(_mm_and_pd(latch, _mm_loadu_pd(c.draws + 3 * i)), _mm_andnot_pd(latch, held));
    }
    previous = phase;
    slewed = _mm_add_pd(slewed, _mm_mul_pd(_mm_sub_pd(held, slewed), slew));
    _mm_store_pd(c.ou + 2 * i, slewed);
  }

  static __m128d Wrap(__m128d x) noexcept {
    double lanes[2] = {Lane0(x), Lane1(x)};
    for (double& v : lanes)
      if (!(v >= 0.0 && v < 1.0)) v -= std::floor(v);
    return _mm_loadu_pd(lanes);
  }
};

// The four one-pole stages of the noise band limit.
struct Cascade {
  double y1, y2, y3, y4;
  explicit Cascade(const SynthKernel& k) noexcept
      : y1(k.noiseLowpass[0]), y2(k.noiseLowpass[1]), y3(k.noiseLowpass[2]), y4(k.noiseLowpass[3]) {}
  void Store(SynthKernel& k) const noexcept {
    k.noiseLowpass[0] = y1;
    k.noiseLowpass[1] = y2;
    k.noiseLowpass[2] = y3;
    k.noiseLowpass[3] = y4;
  }
  // V = y4 * env for sample i. Each stage is taken as y (1 - k) + x k, which is y + (x - y) k
  // regrouped: a multiply and an add on the chain that carries y from sample to sample.
  inline void Step(ChunkSignals& c, int i) noexcept {
    const double g = c.noiseCoef[i], keep = c.noiseKeep[i];
    y1 = y1 * keep + c.noise[i];
    y2 = y2 * keep + y1 * g;
    y3 = y3 * keep + y2 * g;
    y4 = y4 * keep + y3 * g;
    c.shaped[i] = y4;
  }
};

// The foliage pair (lane 0) and the wind pair (lane 1) of high-pass steps, side by side. The
// high-pass value is taken as (x - low) - (f + q) band, which is x - (low + f band) - q band
// regrouped, and the band state as (1 - f (f + q)) band + f (x - low), the same sum expanded: the
// chain that carries the band from sample to sample is then one multiply and one add instead of
// two of each (the rounding moves by an ulp or so a step; the long renders stay within 1e-14).
struct Filters {
  __m128d lowA, bandA, lowB, bandB;
  explicit Filters(const SynthKernel& k) noexcept
      : lowA(_mm_set_pd(k.windHigh1.low, k.foliageHigh5000.low)),
        bandA(_mm_set_pd(k.windHigh1.band, k.foliageHigh5000.band)),
        lowB(_mm_set_pd(k.windHigh2.low, k.foliageHigh700.low)),
        bandB(_mm_set_pd(k.windHigh2.band, k.foliageHigh700.band)) {}
  void Store(SynthKernel& k) const noexcept {
    k.foliageHigh5000 = SvfState{Lane0(lowA), Lane0(bandA)};
    k.windHigh1 = SvfState{Lane1(lowA), Lane1(bandA)};
    k.foliageHigh700 = SvfState{Lane0(lowB), Lane0(bandB)};
    k.windHigh2 = SvfState{Lane1(lowB), Lane1(bandB)};
  }
  // Lane 0 of each coefficient pair is the foliage filter's constant, lane 1 the wind filter's.
  __m128d fA, fqA, fB, dampB;
  void SetCoefficients(const BlockSettings& b) noexcept {
    fA = _mm_set1_pd(b.f5000);
    fqA = _mm_set1_pd(b.f5000 + 0.25);
    fB = _mm_set1_pd(b.f700);
    dampB = _mm_set_pd(0.5, 2.0);
  }
  inline void Step(ChunkSignals& c, int i) noexcept {
    const __m128d x = _mm_set1_pd(c.shaped[i]);
    const __m128d fA = _mm_loadh_pd(this->fA, c.windCoef + i);
    const __m128d fqA = _mm_loadh_pd(this->fqA, c.damping + i);
    const __m128d fB = _mm_loadh_pd(this->fB, c.windCoef + i);
    const __m128d fqB = _mm_add_pd(fB, dampB);
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d keepA = _mm_sub_pd(one, _mm_mul_pd(fA, fqA));
    const __m128d keepB = _mm_sub_pd(one, _mm_mul_pd(fB, fqB));
    const __m128d inA = _mm_sub_pd(x, lowA);
    const __m128d highA = _mm_sub_pd(inA, _mm_mul_pd(fqA, bandA));
    lowA = _mm_add_pd(lowA, _mm_mul_pd(fA, bandA));
    bandA = _mm_add_pd(_mm_mul_pd(keepA, bandA), _mm_mul_pd(fA, inA));
    const __m128d inB = _mm_sub_pd(highA, lowB);
    const __m128d highB = _mm_sub_pd(inB, _mm_mul_pd(fqB, bandB));
    lowB = _mm_add_pd(lowB, _mm_mul_pd(fB, bandB));
    bandB = _mm_add_pd(_mm_mul_pd(keepB, bandB), _mm_mul_pd(fB, inB));
    c.foliage[i] = Lane0(highB);
    c.wind[i] = Lane1(highB);
  }
};

// Both delay lines, which are written together and so share their positions, stepped a run at a
// time as ReadDelayLine and WriteDelayLine do for a line written since its reset. The run's
// writes go in first: a read reaches no further forward than the sample before its own (at a
// delay of exactly 1 it also touches its own slot, but with weight 0), and no further back than
// kDelayLineMaxDelay + 1 samples, which the run's writes do not reach.
struct DelayPair {
  double* shortStorage;
  double* longStorage;
  double shortDelay, longDelay;
  double shortBehind, longBehind;  // floor(-delay)
  int32_t at, mask, size;

  // Whether the pair can step this block: storage on both lines, both written since their reset
  // (so the lower bound is 1) and at the same position.
  static bool Usable(const SynthKernel& k) noexcept {
    const DelayLine& a = k.shortDelay;
    const DelayLine& b = k.longDelay;
    return a.storage != nullptr && b.storage != nullptr && a.readIndex != a.writeIndex &&
           a.readIndex == b.readIndex && a.writeIndex == b.writeIndex && a.size == kDelayLineSize &&
           b.size == kDelayLineSize && a.maxDelay == b.maxDelay && a.maxDelay <= kDelayLineMaxDelay;
  }
  // floor(x) for the clamped delays' range, without a library call (the baseline instruction set
  // has no rounding instruction).
  static double FloorOfDelay(double x) noexcept {
    const double t = static_cast<double>(static_cast<int32_t>(x));
    return t > x ? t - 1.0 : t;
  }
  static double ClampDelay(double d, double hi) noexcept {
    if (d < 1.0) return 1.0;
    if (d > hi) return hi;
    return d == d ? d : 1.0;
  }
  DelayPair(const SynthKernel& k, const BlockSettings& b) noexcept
      : shortStorage(k.shortDelay.storage),
        longStorage(k.longDelay.storage),
        shortDelay(ClampDelay(b.shortDelay, k.shortDelay.maxDelay)),
        longDelay(ClampDelay(b.longDelay, k.longDelay.maxDelay)),
        shortBehind(FloorOfDelay(-shortDelay)),
        longBehind(FloorOfDelay(-longDelay)),
        at(k.shortDelay.readIndex),
        mask(k.shortDelay.wrapMask),
        size(k.shortDelay.size) {}
  void Store(SynthKernel& k) const noexcept {
    k.shortDelay.writeIndex = k.longDelay.writeIndex = (at - 1) & mask;
    k.shortDelay.readIndex = k.longDelay.readIndex = at;
  }

  void Step(const VectorPasses& passes, const double* mix, double* out1, double* out2, int m) noexcept {
    // Copied by hand: a library call costs more than these few samples (a good deal more in
    // some C runtimes).
    for (int i = 0; i < m;) {
      const int32_t pos = (at + i) & mask;
      const int run = m - i < size - pos ? m - i : size - pos;
      double* shortAt = shortStorage + pos;
      double* longAt = longStorage + pos;
      const double* from = mix + i;
      int j = 0;
      for (; j + 1 < run; j += 2) {
        const __m128d x = _mm_loadu_pd(from + j);
        _mm_storeu_pd(shortAt + j, x);
        _mm_storeu_pd(longAt + j, x);
      }
      if (j < run) shortAt[j] = longAt[j] = from[j];
      i += run;
    }
    Read(passes, shortStorage, shortDelay, shortBehind, out1, m);
    Read(passes, longStorage, longDelay, longBehind, out2, m);
    at = (at + m) & mask;
  }

  // Sample i reads r = (size + position) - delay, that is the taps floor(-delay) and one after
  // behind its position, weighted by r minus the first tap's index: ReadDelayLine's figures. That
  // weight is the fraction -delay - floor(-delay) rounded to the spacing of doubles near r, so it
  // only changes where the first tap's index (size + position + floor(-delay)) crosses a power of
  // two; between such points one weight serves every sample.
  void Read(const VectorPasses& passes, const double* storage, double delay, double behind, double* out,
            int m) const noexcept {
    const int32_t offset = static_cast<int32_t>(behind);
    for (int i = 0; i < m;) {
      const int32_t pos = (at + i) & mask;
      const int32_t tap = (pos + offset) & mask;
      const int32_t first = size + pos + offset;  // 47 .. 4095
      int run = m - i;
      if (run > size - pos) run = size - pos;
      if (run > size - 1 - tap) run = size - 1 - tap;
      const int32_t binadeEnd = 2 << (31 - __builtin_clz(static_cast<uint32_t>(first)));
      if (run > binadeEnd - first) run = binadeEnd - first;
      const double r = static_cast<double>(size + pos) - delay;
      const double weight = r - (static_cast<double>(size + pos) + behind);
      if (run <= 0) {  // the two taps straddle the wrap
        out[i] = storage[tap] + (storage[0] - storage[tap]) * weight;
        ++i;
        continue;
      }
      passes.interpolate(storage + tap, weight, out + i, run);
      i += run;
    }
  }
};
constexpr int kDelayRun = 32;
static_assert(kChunk <= kDelayRun && kDelayRun < kDelayLineSize - kDelayLineMaxDelay - 1,
              "a run's writes must not reach its oldest reads");

// The three stages that carry state from sample to sample, each on its own chunk: the modulators
// on chunk t, the cascade on chunk t - 1 and the filters on chunk t - 2, so that their three
// dependency chains advance side by side. A null chunk leaves its stage idle.
struct Recursions {
  Modulators& modulators;
  Cascade& cascade;
  Filters& filters;
  ChunkSignals* modChunk;
  ChunkSignals* cascadeChunk;
  ChunkSignals* filterChunk;
  int modCount, cascadeCount, filterCount;
  bool quiet;  // the modulators' chunk needs neither wrap nor latch (Modulators::Quiet)
};

// Samples [from, to) of the stages chosen by the flags. The loop works on local copies of the
// states, which the compiler can keep in registers: stores to the chunks cannot then be taken to
// change them.
template <bool kQuiet, bool kMod, bool kCascade, bool kFilter>
void RecursionLoop(Recursions& r, int from, int to) noexcept {
  Modulators mod = r.modulators;
  Cascade cas = r.cascade;
  Filters fil = r.filters;
  for (int i = from; i < to; ++i) {
    if (kMod) mod.Step<kQuiet>(*r.modChunk, i);
    if (kCascade) cas.Step(*r.cascadeChunk, i);
    if (kFilter) fil.Step(*r.filterChunk, i);
  }
  if (kMod) r.modulators = mod;
  if (kCascade) r.cascade = cas;
  if (kFilter) r.filters = fil;
}

template <bool kQuiet>
void RecursionSpan(Recursions& r, int stages, int from, int to) noexcept {
  switch (stages) {
    case 1: RecursionLoop<kQuiet, true, false, false>(r, from, to); break;
    case 2: RecursionLoop<kQuiet, false, true, false>(r, from, to); break;
    case 3: RecursionLoop<kQuiet, true, true, false>(r, from, to); break;
    case 4: RecursionLoop<kQuiet, false, false, true>(r, from, to); break;
    case 5: RecursionLoop<kQuiet, true, false, true>(r, from, to); break;
    case 6: RecursionLoop<kQuiet, false, true, true>(r, from, to); break;
    case 7: RecursionLoop<kQuiet, true, true, true>(r, from, to); break;
    default: break;
  }
}

void RunRecursions(Recursions& r) noexcept {
  if (r.modChunk == nullptr) r.modCount = 0;
  if (r.cascadeChunk == nullptr) r.cascadeCount = 0;
  if (r.filterChunk == nullptr) r.filterCount = 0;
  const bool quiet = r.quiet;
  for (int done = 0;;) {
    int stages = 0, to = kChunk + 1;
    const int counts[3] = {r.modCount, r.cascadeCount, r.filterCount};
    for (int s = 0; s < 3; ++s) {
      if (counts[s] > done) {
        stages |= 1 << s;
        if (counts[s] < to) to = counts[s];
      }
    }
    if (stages == 0) return;
    if (quiet) {
      RecursionSpan<true>(r, stages, done, to);
    } else {
      RecursionSpan<false>(r, stages, done, to);
    }
    done = to;
  }
}

// The per-block values derived from the parameters and the rate.
void ComputeSettings(SynthKernel& k, BlockSettings& b) noexcept {
  const double* p = k.paramValues;
  const double sr = k.sampleRate;
  b.sr = sr;
  b.windDepth = 0.5 * Clamp(p[kModWindStochasticAmt], 0.0, 1.0);
  b.foliageDepth = 0.5 * Clamp(p[kModFoliageStochasticAmt], 0.0, 1.0);
  const double slewSamples = std::fabs(std::trunc(4.0 * sr));
  b.slew = 1.0 / (slewSamples > 1.0 ? slewSamples : 1.0);
  b.gate = Clamp(p[kVoice00_NoteGate], 0.0, 1.0);
  const double fade = Clamp(p[kAmpFadeInOut], 0.0, 1.0);
  b.fadeTime = 10.0 * Clamp(fade * fade, 0.0001, 1.0);
  const double fallSamples = std::fabs(0.001 * sr);
  b.fall = 1.0 / (fallSamples > 1.0 ? fallSamples : 1.0);
  if (k.foliageRate != sr || sr == 0.0) {
    k.foliageCoef5000 = StableCoefficient(2.0 * SineOverRate(kPi * 5000.0, sr), 0.25);
    k.foliageCoef700 = StableCoefficient(2.0 * SineOverRate(kPi * 700.0, sr), 2.0);
    k.foliageRate = sr;
  }
  b.f5000 = k.foliageCoef5000;
  b.f700 = k.foliageCoef700;
  b.longDelay = 0.04 * sr * Clamp(p[kSoundfieldAmt], 0.0, 1.0);
  b.shortDelay = 0.4 * b.longDelay;
  b.windStep = sr != 0.0 ? 0.5 / sr : 0.0;
  b.foliageStep = sr != 0.0 ? 0.2 / sr : 0.0;
  b.noiseScale = sr != 0.0 ? 2.0 * kPi / sr : 0.0;
  b.windScale = sr != 0.0 ? kPi / sr : 0.0;
  b.energy = p[kSystemEnergyAmt];
  b.windSpeed = p[kWindSpeed];
  b.windDispersion = p[kWindDispersion];
  b.windLevel = p[kAmpWindLevel];
  b.foliageLevel = p[kAmpFoliageLevel];
  b.mainVolume = p[kAmpMainVolume];
  // The largest arguments are 2 pi 900 / sr (noise cutoff) and pi 1400 / sr (wind corner).
  const double largest = sr > 0.0 ? 2.0 * kPi * 900.0 / sr : 1e300;
  b.sineForm = largest <= kSine9Limit    ? kSine9
               : largest <= kSine11Limit ? kSine11
               : largest <= kSine17Limit ? kSine17
                                         : kLibrarySine;
}

void ClearSignalState(SynthKernel& k) noexcept {
  k.windMod = RandomModulator();
  k.foliageMod = RandomModulator();
  k.envStage = kEnvIdle;
  k.envRamp = k.envLevel = k.envAttackFrom = k.envReleaseFrom = 0.0;
  k.envPreviousGate = k.envSmoothed = 0.0;
  for (double& y : k.noiseLowpass) y = 0.0;
  k.foliageHigh5000 = k.foliageHigh700 = k.windHigh1 = k.windHigh2 = SvfState();
}

bool FiltersFinite(const SynthKernel& k) noexcept {
  double sum = k.foliageHigh5000.low + k.foliageHigh5000.band + k.foliageHigh700.low + k.foliageHigh700.band +
               k.windHigh1.low + k.windHigh1.band + k.windHigh2.low + k.windHigh2.band;
  for (double y : k.noiseLowpass) sum += y;
  return std::isfinite(sum);
}

}  // namespace

SynthKernel* CreateKernel(double sampleRate) noexcept {
  SynthKernel* k = new (std::nothrow) SynthKernel();
  if (k == nullptr) return nullptr;
  ResetKernel(k, sampleRate, 1024);  // also sets the rate; the header defaults are the record's
  k->paramInfo = new (std::nothrow) KernelParamInfo[kKernelParamCount];
  if (k->paramInfo == nullptr) {
    DestroyKernel(k);
    return nullptr;
  }
  for (int i = 0; i < kKernelParamCount; ++i) {
    KernelParamInfo& info = k->paramInfo[i];
    info.defaultValue = k->paramValues[i];
    info.outputMin = kDefaults[i].min;
    info.outputMax = kDefaults[i].max;
    info.name = KernelParamName(i);
  }
  return k;
}

void DestroyKernel(SynthKernel* kernel) noexcept {
  if (kernel == nullptr) return;
  delete[] kernel->paramInfo;
  DestroyDelayLine(kernel->longDelay);
  DestroyDelayLine(kernel->shortDelay);
  delete kernel;
}

void ResetKernel(SynthKernel* kernel, double sampleRate, int32_t blockLength) noexcept {
  if (kernel == nullptr) return;
  SynthKernel& k = *kernel;
  k.sampleRate = sampleRate;
  k.blockLength = blockLength;
  k.errorCode = 0;
  ResetDelayLine(k.shortDelay);
  ResetDelayLine(k.longDelay);
  ClearSignalState(k);
  k.invSampleRate = sampleRate != 0.0 ? 1.0 / sampleRate : 0.0;
  for (int i = 0; i < kKernelParamCount; ++i) k.paramValues[i] = kDefaults[i].value;
  k.settingsValid = false;
}

void SetKernelParam(SynthKernel* kernel, int index, double value) noexcept {
  if (kernel == nullptr || index < 0 || index >= kKernelParamCount) return;
  // A non-finite value would poison the delay index and every filter state.
  if (!std::isfinite(value)) return;
  const double lo = kDefaults[index].min, hi = kDefaults[index].max;
  kernel->paramValues[index] = value < lo ? lo : (value > hi ? hi : value);
  kernel->settingsValid = false;
}

int32_t PerformKernel(SynthKernel* kernel, double** inputs, double** outputs, int32_t n) noexcept {
  if (kernel == nullptr) return kKernelErrorMissingBuffer;
  SynthKernel& k = *kernel;
  k.blockLength = n;
  if (k.errorCode != 0) return k.errorCode;
  if (inputs == nullptr || outputs == nullptr || inputs[0] == nullptr || inputs[1] == nullptr ||
      outputs[0] == nullptr || outputs[1] == nullptr) {
    k.errorCode = kKernelErrorMissingBuffer;
    return k.errorCode;
  }
  if (n <= 0) return k.errorCode;

  DenormalGuard denormals;
  const double sr = k.sampleRate;
  k.invSampleRate = sr != 0.0 ? 1.0 / sr : 0.0;
  if (!k.settingsValid || !(k.settings.sr == sr)) {
    ComputeSettings(k, k.settings);
    k.settingsValid = true;
  }
  const BlockSettings b = k.settings;  // a copy: the passes write to k, which would alias it

  if (k.noiseJumpLength != n) {
    const NoiseJump jump = NoiseJumpFor(3u * static_cast<uint64_t>(n));
    k.noiseJumpMul = jump.mul;
    k.noiseJumpAdd = jump.add;
    k.noiseJumpLength = n;
  }
  NoiseSource noise = NoiseSource::Reserve(NoiseJump{k.noiseJumpMul, k.noiseJumpAdd});
  Modulators modulators(k, b);
  Cascade cascade(k);
  Filters filters(k);
  filters.SetCoefficients(b);
  // The plain delay step needs storage and a line written since its reset; the first block
  // after a reset takes the general path.
  const bool steppedDelays = DelayPair::Usable(k);
  DelayPair delays(k, b);

  // A three-stage pipeline over the chunks (see Recursions); the vector passes run between. Chunk
  // t is c (m samples), chunk t - 1 is c1, chunk t - 2 is c2, starting at sample `out`; null
  // before the block's first chunk and after its last.
  // Short blocks take shorter chunks, so that less of the pipeline's filling and draining runs
  // one stage alone.
  const VectorPasses& passes = ChoosePasses();
  const VectorPasses::Pass noiseCoefficients = passes.noiseCoefficients[b.sineForm];
  const VectorPasses::Pass windCoefficients = passes.windCoefficients[b.sineForm];
  const int quarter = (n / 4 + 1) & ~1;
  const int chunkSize = quarter < kMinChunk ? kMinChunk : (quarter > kChunk ? kChunk : quarter);
  const bool quietBlock = modulators.Quiet(n);  // then so is every chunk
  ChunkSignals chunks[3];
  ChunkSignals *c1 = nullptr, *c2 = nullptr;
  int m1 = 0, m2 = 0, slot = 0;
  alignas(32) double mix[kDelayRun + kChunk];  // s, waiting for the delays
  int mixed = 0;
  int32_t next = 0, out = 0;
  for (;;) {
    ChunkSignals* c = nullptr;
    int m = 0;
    if (next < n) {
      c = &chunks[slot];
      slot = slot == 2 ? 0 : slot + 1;
      m = n - next < chunkSize ? n - next : chunkSize;
      next += m;
    } else if (c1 == nullptr && c2 == nullptr) {
      break;
    }
    const bool quiet = c != nullptr && (quietBlock || modulators.Quiet(m));
    if (quiet) {
      noise.FillEveryThird(c->noise, m);
    } else if (c != nullptr) {
      noise.Fill(c->draws, 3 * m);
      c->draws[3 * m] = 0.0;  // the last pair load reaches one past the draws
      for (int i = 0; i < m; ++i) c->noise[i] = c->draws[3 * i + 2];
    }
    Recursions r{modulators, cascade, filters, c, c1, c2, m, m1, m2, quiet};
    RunRecursions(r);
    // The vector passes run over whole vectors, their inputs padded with zeros.
    if (c != nullptr) {
      EnvelopePass(k, b, c->env, m);
      const int whole = RoundUp(m, passes.lanes);
      for (int i = m; i < whole; ++i) c->ou[2 * i] = c->ou[2 * i + 1] = c->noise[i] = 0.0;
      noiseCoefficients(b, *c, whole);
    }
    if (c1 != nullptr) {
      const int whole = RoundUp(m1, passes.lanes);
      for (int i = m1; i < whole; ++i) c1->shaped[i] = c1->env[i] = 0.0;
      windCoefficients(b, *c1, whole);
    }
    if (c2 != nullptr) {
      const int whole = RoundUp(m2, passes.lanes);
      for (int i = m2; i < whole; ++i) c2->foliage[i] = c2->wind[i] = 0.0;
      passes.mix(b, *c2, whole, mix + mixed);
      mixed += m2;
    }
    // The delays take the mix up to kDelayRun samples at a time.
    if (mixed > 0 && (mixed + chunkSize > kDelayRun || c1 == nullptr)) {
      double* out1 = outputs[0] + out;
      double* out2 = outputs[1] + out;
      if (steppedDelays) {
        delays.Step(passes, mix, out1, out2, mixed);
      } else {
        DelayPass(k.shortDelay, b.shortDelay, mix, out1, mixed);
        DelayPass(k.longDelay, b.longDelay, mix, out2, mixed);
      }
      out += mixed;
      mixed = 0;
    }
    c2 = c1;
    m2 = m1;
    c1 = c;
    m1 = m;
  }
  modulators.Store(k);
  cascade.Store(k);
  filters.Store(k);
  if (steppedDelays) delays.Store(k);

  // A filter that ever blew up would stay silent for good; start it afresh instead.
  if (!FiltersFinite(k)) {
    for (double& v : k.noiseLowpass) v = 0.0;
    k.foliageHigh5000 = k.foliageHigh700 = k.windHigh1 = k.windHigh2 = SvfState();
  }
  return k.errorCode;
}

void SetKernelWideVectors(bool allowed) noexcept { gWideAllowed.store(allowed, std::memory_order_relaxed); }
