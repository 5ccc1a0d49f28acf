#include "engine/NoiseSource.h"
#include "engine/SynthKernel.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {
// The generator written out step by step, independent of the jump-ahead.
uint32_t Step(uint32_t s, uint64_t n) {
  while (n--) s = s * 1664525u + 1013904223u;
  return s;
}
}  // namespace

TEST(NoiseSource, FirstDrawsAfterLoadMatchTheSequence) {
  SeedNoiseSource(2);
  NoiseSource n = NoiseSource::Reserve(3);
  EXPECT_NEAR(-0.47268844, n.Draw(), 5e-9);
  EXPECT_NEAR(0.01382542, n.Draw(), 5e-9);
  EXPECT_NEAR(0.48511195, n.Draw(), 5e-9);
}

TEST(NoiseSource, DrawsAreSinglePrecisionValuesInRange) {
  SeedNoiseSource(12345);
  NoiseSource n = NoiseSource::Reserve(100000);
  for (int i = 0; i < 100000; ++i) {
    const double d = n.Draw();
    ASSERT_GE(d, -1.0);
    ASSERT_LT(d, 1.0);
    ASSERT_EQ(d, static_cast<double>(static_cast<float>(d)));
  }
}

TEST(NoiseSource, JumpAheadEqualsSteppingOneByOne) {
  for (uint64_t count : {0ull, 1ull, 2ull, 3ull, 7ull, 1536ull, 99991ull}) {
    EXPECT_EQ(Step(2u, count), AdvanceNoiseState(2u, count)) << count;
    EXPECT_EQ(Step(0xDEADBEEFu, count), AdvanceNoiseState(0xDEADBEEFu, count)) << count;
  }
}

TEST(NoiseSource, ConsecutiveReservationsContinueOneSequence) {
  SeedNoiseSource(2);
  NoiseSource a = NoiseSource::Reserve(5);
  std::vector<double> joined;
  for (int i = 0; i < 5; ++i) joined.push_back(a.Draw());
  NoiseSource b = NoiseSource::Reserve(4);
  for (int i = 0; i < 4; ++i) joined.push_back(b.Draw());

  SeedNoiseSource(2);
  NoiseSource whole = NoiseSource::Reserve(9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(joined[i], whole.Draw()) << i;
}

TEST(NoiseSource, AKernelBlockDrawsThreeValuesPerSample) {
  SynthKernel* k = CreateKernel(48000.0);
  double l[100], r[100], in[100] = {};
  double* ins[2] = {in, in};
  double* outs[2] = {l, r};
  SeedNoiseSource(77);
  ASSERT_EQ(0, PerformKernel(k, ins, outs, 100));
  NoiseSource after = NoiseSource::Reserve(1);
  const uint32_t expected = Step(77u, 301);
  EXPECT_EQ(static_cast<double>(NoiseSource::ToUnitFloat(expected) * 2.0f - 3.0f), after.Draw());
  DestroyKernel(k);
}

// Threads that reserve blocks concurrently get disjoint stretches of the one sequence.
TEST(NoiseSource, ConcurrentReservationsNeverShareDraws) {
  SeedNoiseSource(9);
  constexpr int kBlocks = 2000, kDraws = 64;
  std::vector<double> firsts[2];
  // The low 23 state bits repeat only every 2^23 draws, so within 256000 draws a stretch is
  // identified by its first value.
  auto worker = [&](int t) {
    for (int b = 0; b < kBlocks; ++b) {
      NoiseSource n = NoiseSource::Reserve(kDraws);
      firsts[t].push_back(n.Draw());
    }
  };
  std::thread a(worker, 0), b(worker, 1);
  a.join();
  b.join();
  std::set<double> all(firsts[0].begin(), firsts[0].end());
  all.insert(firsts[1].begin(), firsts[1].end());
  EXPECT_EQ(static_cast<size_t>(2 * kBlocks), all.size());
  // Every reservation was accounted for exactly once.
  NoiseSource next = NoiseSource::Reserve(1);
  const uint32_t expected = Step(9u, 2ull * kBlocks * kDraws + 1);
  EXPECT_EQ(static_cast<double>(NoiseSource::ToUnitFloat(expected) * 2.0f - 3.0f), next.Draw());
}

// The kernel draws a chunk at a time; every count must give exactly the plain sequence and leave
// the generator where the plain draws would. Quiet chunks draw only every third value, in runs of
// any length one after another (a run of a multiple of four hands its lane states on to the
// next); a plain draw in between must not be taken for a continuation.
TEST(NoiseSource, FillsGiveThePlainSequenceForEveryCount) {
  SeedNoiseSource(2);
  NoiseSource filled = NoiseSource::Reserve(10000);
  SeedNoiseSource(2);
  NoiseSource plain = NoiseSource::Reserve(10000);
  double buffer[100];
  for (int count : {0, 1, 3, 4, 5, 7, 8, 9, 96, 97}) {
    filled.Fill(buffer, count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(plain.Draw(), buffer[i]) << count << " " << i;
  }
  for (int count : {16, 16, 0, 8, 1, 4, 4, 7, 32, 5, 3, 12, 12, 20}) {
    filled.FillEveryThird(buffer, count);
    for (int i = 0; i < count; ++i) {
      plain.Draw();
      plain.Draw();
      ASSERT_EQ(plain.Draw(), buffer[i]) << count << " " << i;
    }
    if (count == 8) {
      EXPECT_EQ(plain.Draw(), filled.Draw());
    }
  }
  EXPECT_EQ(plain.Draw(), filled.Draw());
}
