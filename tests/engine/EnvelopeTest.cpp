#include "KernelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Renders one sample at a time until `done` holds, returning the number of samples rendered.
template <typename Pred>
int SamplesUntil(KernelRunner& r, Pred done, int limit) {
  for (int i = 1; i <= limit; ++i) {
    r.Block(1);
    if (done()) return i;
  }
  return -1;
}
}  // namespace

// fade 0.3 -> t_f = 10 * 0.09 = 0.9 s = 43200 samples at 48 kHz.
TEST(Envelope, AttackFromSilenceTakesTheFadeTimeAlongPower2001) {
  KernelRunner r(48000.0);
  r.Set(kVoice00_NoteGate, 1.0);
  r.Block(21600);
  EXPECT_EQ(kEnvAttack, r.k->envStage);
  EXPECT_NEAR(std::pow(0.5, 2.001), r.k->envLevel, 1e-9);
  const int more = SamplesUntil(r, [&] { return r.k->envStage == kEnvHold; }, 30000);
  EXPECT_NEAR(43201, 21600 + more, 1);
  EXPECT_EQ(1.0, r.k->envLevel);
  EXPECT_EQ(0.0, r.k->envRamp);
}

TEST(Envelope, ReleaseFromFullLevelFallsOverTheFadeTimeThenGoesIdle) {
  KernelRunner r(48000.0);
  r.Set(kVoice00_NoteGate, 1.0);
  r.Render(48000, 512, nullptr);
  ASSERT_EQ(kEnvHold, r.k->envStage);

  r.Set(kVoice00_NoteGate, 0.0);
  r.Block(1);
  // The trigger sample uses the release start level stored before the trigger (0), so the ramp
  // does not move and the level is still full.
  EXPECT_EQ(kEnvRelease, r.k->envStage);
  EXPECT_EQ(0.0, r.k->envRamp);
  EXPECT_EQ(1.0, r.k->envLevel);
  r.Block(21600);
  EXPECT_NEAR(std::pow(0.5, 2.001), r.k->envLevel, 1e-9);
  const int toZero = SamplesUntil(r, [&] { return r.k->envLevel == 0.0; }, 30000);
  EXPECT_NEAR(43201, 1 + 21600 + toZero, 1);
  const int toIdle = SamplesUntil(r, [&] { return r.k->envStage == kEnvIdle; }, 100000);
  EXPECT_NEAR(129601, 1 + 21600 + toZero + toIdle, 2);
}

TEST(Envelope, RetriggerDuringReleaseStartsFromTheCurrentLevel) {
  KernelRunner r(48000.0);
  r.Set(kVoice00_NoteGate, 1.0);
  r.Render(48000, 480, nullptr);
  r.Set(kVoice00_NoteGate, 0.0);
  r.Render(1 + 21600, 21601, nullptr);
  const double level = r.k->envLevel;
  ASSERT_NEAR(std::pow(0.5, 2.001), level, 1e-9);

  r.Set(kVoice00_NoteGate, 1.0);
  r.Block(1);
  EXPECT_EQ(kEnvAttack, r.k->envStage);
  EXPECT_EQ(level, r.k->envAttackFrom);
  // Duration t_f * (1 - F) seconds.
  const double expected = 43200.0 * (1.0 - level);
  const int rest = SamplesUntil(r, [&] { return r.k->envStage == kEnvHold; }, 60000);
  EXPECT_NEAR(expected, 1 + rest, 2);
}

TEST(Envelope, RetriggerAtFullLevelStaysAtFullLevel) {
  KernelRunner r(48000.0);
  r.Set(kVoice00_NoteGate, 1.0);
  r.Render(48000, 512, nullptr);
  r.Set(kVoice00_NoteGate, 0.0);
  r.Block(1);  // the release trigger sample keeps D at 1
  r.Set(kVoice00_NoteGate, 1.0);
  r.Block(1);
  EXPECT_EQ(1.0, r.k->envAttackFrom);
  r.Block(500);
  EXPECT_EQ(kEnvAttack, r.k->envStage);  // increment 0: the ramp never completes
  EXPECT_EQ(1.0, r.k->envLevel);
}

TEST(Envelope, OnlyExactUnitGateStepsTrigger) {
  KernelRunner r(48000.0);
  r.Set(kVoice00_NoteGate, 0.5);
  r.Block(256);
  EXPECT_EQ(kEnvIdle, r.k->envStage);
  r.Set(kVoice00_NoteGate, 1.0);  // 0.5 -> 1 is not a rising step either
  r.Block(256);
  EXPECT_EQ(kEnvIdle, r.k->envStage);
  for (double v : r.left) EXPECT_EQ(0.0, v);
}

TEST(Envelope, ShortestFadeIsOneMillisecondAndSmoothingFallsInAboutOne) {
  KernelRunner r(48000.0);
  r.Set(kAmpFadeInOut, 0.0);  // 10 * max(0, 0.0001) = 1 ms = 48 samples
  r.Set(kVoice00_NoteGate, 1.0);
  const int attack = SamplesUntil(r, [&] { return r.k->envStage == kEnvHold; }, 1000);
  EXPECT_NEAR(49, attack, 1);
  r.Set(kVoice00_NoteGate, 0.0);
  r.Block(1);
  const double before = r.k->envSmoothed;
  r.Block(1);
  // The target fell by (1/48)^2.001-ish steps; the smoother moves 1/48 of the gap per sample.
  const double target = r.k->envLevel;
  EXPECT_NEAR(before + (target - before) / 48.0, r.k->envSmoothed, 1e-15);
}
