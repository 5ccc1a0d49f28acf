// What the kernel's perform routine shares with its vector passes: the per-block settings, the
// per-chunk signals and the table of passes, which come in two widths that give the same figures.
#pragma once

#include <cstdint>

namespace sylvane_kernel {

constexpr double kPi = 3.1415926535898;
constexpr int kChunk = 32;  // the longest chunk; a multiple of every vector width
constexpr int kMinChunk = 16;

// The wind corner never exceeds 1400 Hz, so its coefficient only nears the limit (1.56 for
// damping 0.5) below about 5.2 kHz sampling; a fixed bound keeps the per-sample cost flat.
constexpr double kWindCoefficientMax = 1.5;

// sin(x) by its Taylor series: to x^9 for |x| <= 0.13 (every argument from 44.1 kHz sampling up),
// to x^11 for |x| <= 0.26 (from 22.05 kHz) and to x^17 for |x| <= 0.6; the library's sine beyond.
enum SineForm : int { kLibrarySine = 0, kSine17, kSine11, kSine9 };
constexpr double kSine9Limit = 0.13;
constexpr double kSine11Limit = 0.26;
constexpr double kSine17Limit = 0.6;

// Per-block values derived from the parameters.
struct BlockSettings {
  double sr, windStep, foliageStep, slew, windDepth, foliageDepth, energy;
  double gate, fadeTime, fall;
  double f5000, f700;
  double windSpeed, windDispersion, windLevel, foliageLevel, mainVolume;
  double shortDelay, longDelay;
  SineForm sineForm;
  double noiseScale, windScale;  // 2 pi / sr and pi / sr (0 when the rate is 0)
};

// A chunk's intermediate signals, one value per sample. The vector passes run over the count
// rounded up to their width; the perform routine sets those pad entries.
struct alignas(32) ChunkSignals {
  double o[kChunk];          // wind modulator output
  double env[kChunk];        // envelope
  double noiseCoef[kChunk];  // the one-pole coefficient k
  double noiseKeep[kChunk];  // 1 - k
  double shaped[kChunk];     // the cascade's output, then V (times the envelope)
  double windCoef[kChunk];   // f_z
  double damping[kChunk];    // f_z + q of the first wind filter
  double gain[kChunk];       // speed gain
  double foliage[kChunk];    // X
  double wind[kChunk];       // W
  double noise[kChunk];      // the cascade's draw of each sample, then times k
  double ou[2 * kChunk];     // the slewed values of the wind and foliage modulators of each sample
  double draws[3 * kChunk + 1];  // noise: wind, foliage and cascade draw of each sample (when latching)
};

// The passes without state from sample to sample. `count` is a multiple of `lanes`.
struct VectorPasses {
  using Pass = void (*)(const BlockSettings& b, ChunkSignals& c, int count) noexcept;
  int lanes;
  // o and k (with 1 - k, and the noise times k) from the modulator outputs, for each SineForm.
  Pass noiseCoefficients[4];
  // V, f_z, f_z + q and the speed gain from the cascade's output, the envelope and o, for each
  // SineForm.
  Pass windCoefficients[4];
  // s from X, W and the gain, into mix[0 .. count).
  void (*mix)(const BlockSettings& b, const ChunkSignals& c, int count, double* mix) noexcept;
  // out[i] = x[i] + (x[i + 1] - x[i]) weight.
  void (*interpolate)(const double* x, double weight, double* out, int count) noexcept;
};

extern const VectorPasses kTwoLanePasses;   // the baseline instruction set
extern const VectorPasses kFourLanePasses;  // AVX: only where the processor and system have it

}  // namespace sylvane_kernel
