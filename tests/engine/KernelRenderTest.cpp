#include "KernelTestSupport.h"

#include "engine/NoiseSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <xmmintrin.h>

namespace {
std::vector<double> RenderMix(double rate, double soundfield, int total, std::vector<double>* right, int block = 512) {
  SeedNoiseSource(2);
  KernelRunner r(rate, block);
  r.Set(kSoundfieldAmt, soundfield);
  r.Set(kAmpFadeInOut, 0.0);
  r.Set(kVoice00_NoteGate, 1.0);
  std::vector<double> left;
  r.Render(total, block, &left, right);
  return left;
}
}  // namespace

TEST(KernelSilence, ClosedGateGivesExactZerosWhateverTheParameters) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  KernelRunner r(44100.0, 1000);
  for (int i = 0; i < 26; ++i) {
    if (i != kVoice00_NoteGate) r.Set(i, u(rng));
  }
  for (int n : {1, 7, 64, 333, 1000}) {
    ASSERT_EQ(0, r.Block(n));
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(0.0, r.left[i]);
      ASSERT_EQ(0.0, r.right[i]);
    }
  }
}

TEST(KernelOutput, StaysWithinUnitRangeUnderExtremeSettings) {
  KernelRunner r(48000.0);
  r.Set(kVoice00_NoteGate, 1.0);
  r.Set(kAmpFadeInOut, 0.0);
  for (int p : {kAmpMainVolume, kAmpFoliageLevel, kAmpWindLevel, kSystemEnergyAmt, kWindSpeed, kSoundfieldAmt})
    r.Set(p, 1.0);
  r.Set(kWindDispersion, 0.0);
  double peak = 0.0;
  for (int b = 0; b < 400; ++b) {
    r.Block(512);
    for (int i = 0; i < 512; ++i) {
      ASSERT_TRUE(std::isfinite(r.left[i]));
      peak = std::max({peak, std::fabs(r.left[i]), std::fabs(r.right[i])});
    }
  }
  EXPECT_LE(peak, 1.0);
  EXPECT_GT(peak, 0.1);  // and it does sound
}

TEST(KernelErrors, MissingBufferIsStickyUntilReset) {
  KernelRunner r(48000.0, 64);
  double* ins[2] = {r.in.data(), nullptr};
  double* outs[2] = {r.left.data(), r.right.data()};
  r.left.assign(64, 7.0);
  EXPECT_EQ(101, PerformKernel(r.k, ins, outs, 64));
  EXPECT_EQ(101, PerformKernel(r.k, nullptr, outs, 64));
  EXPECT_EQ(101, r.Block(64));  // good buffers now, still failed
  for (double v : r.left) ASSERT_EQ(7.0, v);
  EXPECT_EQ(101, r.Block(0));
  ResetKernel(r.k, 48000.0, 64);
  EXPECT_EQ(0, r.Block(64));
  EXPECT_EQ(0.0, r.left[0]);
}

TEST(KernelErrors, EmptyBlockRendersNothing) {
  KernelRunner r(48000.0, 8);
  r.left.assign(8, 3.0);
  r.Set(kVoice00_NoteGate, 1.0);
  EXPECT_EQ(0, r.Block(0));
  EXPECT_EQ(0, r.k->blockLength);
  EXPECT_EQ(3.0, r.left[0]);
  EXPECT_EQ(kEnvIdle, r.k->envStage);  // not even the envelope moved
}

TEST(Soundfield, ZeroWidthGivesIdenticalChannels) {
  std::vector<double> right;
  std::vector<double> left = RenderMix(48000.0, 0.0, 20000, &right);
  EXPECT_EQ(left, right);
  EXPECT_EQ(0.0, left[0]);
}

// Width 1 at 44.1 kHz delays output 1 by 705.6 and output 2 by 1764 samples; width 0 gives the
// mix delayed by one sample, so the delays are measured against that render.
TEST(Soundfield, FullWidthDelaysTheChannelsBy16And40Milliseconds) {
  std::vector<double> dry = RenderMix(44100.0, 0.0, 8000, nullptr);
  std::vector<double> right;
  std::vector<double> left = RenderMix(44100.0, 1.0, 8000, &right);
  for (int i = 2000; i < 8000; ++i) {
    ASSERT_NEAR(dry[i - 1763], right[i], 1e-9) << i;
    ASSERT_NEAR(0.6 * dry[i - 705] + 0.4 * dry[i - 704], left[i], 1e-9) << i;
  }
}

TEST(Soundfield, LongDelayIsHeldAt2000SamplesAt96k) {
  std::vector<double> dry = RenderMix(96000.0, 0.0, 6000, nullptr);
  std::vector<double> right;
  RenderMix(96000.0, 1.0, 6000, &right);
  for (int i = 2500; i < 6000; ++i) ASSERT_EQ(dry[i - 1999], right[i]) << i;
}

TEST(KernelRender, BlockSizeDoesNotChangeTheSoundWithinABlockOfConstantSettings) {
  std::vector<double> a = RenderMix(48000.0, 0.5, 4096, nullptr, 4096);
  std::vector<double> b = RenderMix(48000.0, 0.5, 4096, nullptr, 4096);
  EXPECT_EQ(a, b);  // one seed, one sequence
}

// The 5000 Hz foliage filter used to diverge below about 14.5 kHz sampling.
TEST(KernelStability, LowSampleRatesStayFiniteAndBounded) {
  for (double rate : {8000.0, 11025.0, 12000.0, 14000.0, 16000.0, 22050.0, 384000.0}) {
    KernelRunner r(rate, 256);
    r.Set(kVoice00_NoteGate, 1.0);
    r.Set(kAmpFadeInOut, 0.0);
    r.Set(kWindSpeed, 1.0);
    r.Set(kWindDispersion, 0.0);
    const int blocks = static_cast<int>(rate * 5 / 256);
    double sumSquares = 0.0;
    for (int b = 0; b < blocks; ++b) {
      r.Block(256);
      for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(std::isfinite(r.left[i])) << rate;
        sumSquares += r.left[i] * r.left[i];
      }
    }
    const SvfState* filters[] = {&r.k->foliageHigh5000, &r.k->foliageHigh700, &r.k->windHigh1, &r.k->windHigh2};
    for (const SvfState* s : filters) {
      EXPECT_LT(std::fabs(s->low), 10.0) << rate;
      EXPECT_LT(std::fabs(s->band), 10.0) << rate;
    }
    const double rms = std::sqrt(sumSquares / (blocks * 256.0));
    EXPECT_GT(rms, 1e-4) << rate;  // still sounding
    EXPECT_LT(rms, 0.9) << rate;   // and not pinned to the clip
  }
}

// After a release the filters decay towards zero; with the flush in place their states never
// linger as denormals (which would make silence slow to render), and the caller's mode survives.
TEST(KernelDenormals, StatesNeverDecayIntoTheDenormalRange) {
  KernelRunner r(48000.0);
  r.Set(kVoice00_NoteGate, 1.0);
  r.Set(kAmpFadeInOut, 0.0);
  r.Render(48000, 512, nullptr);
  r.Set(kVoice00_NoteGate, 0.0);
  const unsigned mode = _mm_getcsr();
  for (int b = 0; b < 48000 * 60 / 512; ++b) {
    r.Block(512);
    const double states[] = {r.k->foliageHigh5000.low, r.k->foliageHigh5000.band, r.k->foliageHigh700.low,
                             r.k->foliageHigh700.band, r.k->windHigh1.low, r.k->windHigh1.band,
                             r.k->windHigh2.low, r.k->windHigh2.band, r.k->envSmoothed};
    for (double s : states) ASSERT_NE(FP_SUBNORMAL, std::fpclassify(s)) << b;
  }
  EXPECT_EQ(mode, _mm_getcsr());
  for (double v : r.left) EXPECT_LT(std::fabs(v), 1e-300);
}
