// The kernel's perform routine as it was before the chunked rewrite: one sample at a time through
// the whole signal flow. Kept unchanged as the named baseline that the benchmark compares against;
// it is built with the kernel's own floating-point flags.
#include "BaselineKernel.h"

#include "engine/DenormalGuard.h"
#include "engine/NoiseSource.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.1415926535898;
constexpr double kEnvelopeExponent = 2.001;

inline double Clamp(double x, double lo, double hi) noexcept {
  if (x < lo) return lo;
  if (x >= hi) return hi;
  return x;
}

// Zero for magnitudes below 2^-1021 (biased exponent 0 or 1).
inline double FlushDenormal(double x) noexcept {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return ((bits >> 52) & 0x7FFu) < 2u ? 0.0 : x;
}

// sin(num / sr), taken as sin(0) when the rate is 0.
inline double SineOverRate(double num, double sr) noexcept { return sr == 0.0 ? 0.0 : std::sin(num / sr); }

// Two-integrator high-pass step; returns the high-pass output.
inline double HighPassStep(SvfState& s, double x, double f, double q) noexcept {
  s.low = s.low + f * s.band;
  const double high = x - s.low - q * s.band;
  s.band = s.band + f * high;
  return high;
}

// The two-integrator filter diverges once f^2 + 2fq reaches 4 (a 5000 Hz corner below about
// 14.5 kHz sampling). Such a coefficient is pulled well inside the stable region; every
// coefficient that is already stable is kept bit for bit.
inline double StableCoefficient(double f, double q) noexcept {
  const double limit = std::sqrt(q * q + 4.0) - q;
  if (f >= limit) return 0.9 * limit;
  return f < 0.0 ? 0.0 : f;
}

// The wind corner never exceeds 1400 Hz, so its coefficient only nears the limit (1.56 for
// damping 0.5) below about 5.2 kHz sampling; a fixed bound keeps the per-sample cost flat.
constexpr double kWindCoefficientMax = 1.5;

void AdvanceModulator(RandomModulator& m, double increment, double draw, double slew) noexcept {
  m.phase = m.phase + increment;
  if (!(m.phase >= 0.0 && m.phase < 1.0)) m.phase -= std::floor(m.phase);
  if (m.previousPhase <= 0.5 && m.phase > 0.5) m.held = draw;
  m.previousPhase = m.phase;
  m.slewed = FlushDenormal(m.slewed + (m.held - m.slewed) * slew);
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
  k.envSmoothed = FlushDenormal(k.envSmoothed + (target - k.envSmoothed) * (target > k.envSmoothed ? 1.0 : fall));
  const double level = k.envSmoothed;
  if (level < 0.00000001 || level <= 0.0) return 0.0;
  if (level >= 1.0) return 1.0;
  return level;
}

bool FiltersFinite(const SynthKernel& k) noexcept {
  double sum = k.foliageHigh5000.low + k.foliageHigh5000.band + k.foliageHigh700.low + k.foliageHigh700.band +
               k.windHigh1.low + k.windHigh1.band + k.windHigh2.low + k.windHigh2.band;
  for (double y : k.noiseLowpass) sum += y;
  return std::isfinite(sum);
}

}  // namespace

int32_t PerformKernelBaseline(SynthKernel* kernel, double** inputs, double** outputs, int32_t n) noexcept {
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
  const double* p = k.paramValues;
  const double sr = k.sampleRate;
  k.invSampleRate = sr != 0.0 ? 1.0 / sr : 0.0;

  const double windDepth = 0.5 * Clamp(p[kModWindStochasticAmt], 0.0, 1.0);
  const double foliageDepth = 0.5 * Clamp(p[kModFoliageStochasticAmt], 0.0, 1.0);
  const double slewSamples = std::fabs(std::trunc(4.0 * sr));
  const double slew = 1.0 / (slewSamples > 1.0 ? slewSamples : 1.0);
  const double gate = Clamp(p[kVoice00_NoteGate], 0.0, 1.0);
  const double fade = Clamp(p[kAmpFadeInOut], 0.0, 1.0);
  const double fadeTime = 10.0 * Clamp(fade * fade, 0.0001, 1.0);
  const double fallSamples = std::fabs(0.001 * sr);
  const double fall = 1.0 / (fallSamples > 1.0 ? fallSamples : 1.0);
  const double f5000 = StableCoefficient(2.0 * SineOverRate(kPi * 5000.0, sr), 0.25);
  const double f700 = StableCoefficient(2.0 * SineOverRate(kPi * 700.0, sr), 2.0);
  const double longDelay = 0.04 * sr * Clamp(p[kSoundfieldAmt], 0.0, 1.0);
  const double shortDelay = 0.4 * longDelay;
  const double windStep = sr != 0.0 ? 0.5 / sr : 0.0;
  const double foliageStep = sr != 0.0 ? 0.2 / sr : 0.0;
  const double windSpeed = p[kWindSpeed];
  const double windDispersion = p[kWindDispersion];
  const double energy = p[kSystemEnergyAmt];
  const double windLevel = p[kAmpWindLevel];
  const double foliageLevel = p[kAmpFoliageLevel];
  const double mainVolume = p[kAmpMainVolume];

  NoiseSource noise = NoiseSource::Reserve(3u * static_cast<uint64_t>(n));
  double* out1 = outputs[0];
  double* out2 = outputs[1];

  for (int32_t i = 0; i < n; ++i) {
    AdvanceModulator(k.windMod, windStep, noise.Draw(), slew);
    const double o = k.windMod.slewed * windDepth;
    AdvanceModulator(k.foliageMod, foliageStep, noise.Draw(), slew);
    const double u = k.foliageMod.slewed * foliageDepth;

    const double v = Clamp(u + (o + energy), 0.0, 1.0);
    const double cutoff = 400.0 + 500.0 * v;

    const double env = EnvelopeStep(k, gate, fadeTime, sr, fall);

    const double white = noise.Draw();
    const double c = Clamp(SineOverRate(2.0 * kPi * cutoff, sr), 0.00001, 0.99999);
    double* y = k.noiseLowpass;
    const double y1 = y[0] + (white - y[0]) * c;
    const double y2 = y[1] + (y1 - y[1]) * c;
    const double y3 = y[2] + (y2 - y[2]) * c;
    const double y4 = y[3] + (y3 - y[3]) * c;
    y[0] = FlushDenormal(y1);
    y[1] = FlushDenormal(y2);
    y[2] = FlushDenormal(y3);
    y[3] = FlushDenormal(y4);
    const double shaped = y4 * env;

    const double h1 = HighPassStep(k.foliageHigh5000, shaped, f5000, 0.25);
    const double h2 = HighPassStep(k.foliageHigh700, h1, f700, 2.0);
    const double foliage = Clamp(h2, -1.0, 1.0);

    const double wind = Clamp(0.02 * shaped + windSpeed + o, 0.0, 1.0);
    const double corner = Clamp(490.0 + 910.0 * wind, 1.0, 20000.0);
    double fz = 2.0 * SineOverRate(kPi * corner, sr);
    fz = fz < 0.0 ? 0.0 : (fz > kWindCoefficientMax ? kWindCoefficientMax : fz);
    const double dispersion = Clamp(windDispersion - o, 0.0, 1.0);
    const double resonance = 12.0 - 11.0 * dispersion;
    const double damping = 1.0 / Clamp(resonance, 0.5, 100.0);
    const double w1 = HighPassStep(k.windHigh1, shaped, fz, damping);
    const double w2 = HighPassStep(k.windHigh2, w1, fz, 0.5);
    const double windLayer = Clamp(w2, -2.0, 2.0);
    const double gain = 0.3 + 0.7 * (5.0 * Clamp(wind, 0.0, 0.2));

    double s = Clamp(((gain * windLayer) * 0.1 * windLevel + (foliage * 6.0) * foliageLevel) * 6.0 * mainVolume,
                     -1.0, 1.0);
    if (s != s) s = 0.0;  // never let a NaN into the delay lines or the host

    out1[i] = ReadDelayLine(k.shortDelay, shortDelay);
    out2[i] = ReadDelayLine(k.longDelay, longDelay);
    WriteDelayLine(k.shortDelay, s);
    WriteDelayLine(k.longDelay, s);
  }

  // A filter that ever blew up would stay silent for good; start it afresh instead.
  if (!FiltersFinite(k)) {
    for (double& v : k.noiseLowpass) v = 0.0;
    k.foliageHigh5000 = k.foliageHigh700 = k.windHigh1 = k.windHigh2 = SvfState();
  }
  return k.errorCode;
}
