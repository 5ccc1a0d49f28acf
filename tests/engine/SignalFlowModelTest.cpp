// The kernel against the plain model of the signal flow, sample for sample, over long sessions
// with changing block sizes, gate changes, parameter changes and resets between blocks.
#include "ModelSession.h"

#include "engine/SynthKernel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
// The largest difference the kernel may show against the model.
constexpr double kTolerance = 1e-12;
constexpr unsigned kNearest = 0x1F80u;          // a host's usual mode: nearest, all masked
constexpr unsigned kTowardZero = 0x1F80u | 0x6000u;  // a host that left truncation on
}  // namespace

TEST(SignalFlowModel, KernelFollowsTheModelSampleForSample) {
  const SessionSpec sessions[] = {
      {22050.0, 40.0, 1, kNearest}, {44100.0, 30.0, 2, kNearest},    {48000.0, 30.0, 3, kNearest},
      {96000.0, 20.0, 4, kNearest}, {48000.0, 20.0, 5, kTowardZero},
  };
  for (const SessionSpec& session : sessions) {
    const SessionResult r = PlaySession(session, kTolerance);
    EXPECT_EQ(-1, r.firstOver) << session.rate << " Hz: difference " << r.worst << " at sample " << r.firstOver;
    if (r.firstOver != -1) continue;  // the session stopped there
    EXPECT_TRUE(r.modeKept) << session.rate;
    // Agreement on silence would prove nothing.
    EXPECT_GT(r.loudness, 0.005) << session.rate;
    // The session must really have changed its block size across the whole range.
    EXPECT_EQ(1, *r.blockSizes.begin()) << session.rate;
    EXPECT_EQ(1000, *r.blockSizes.rbegin()) << session.rate;
    EXPECT_GT(r.blockSizes.size(), 300u) << session.rate;
  }
}

// Where the processor has AVX the kernel runs its four-lane passes; the two-lane ones must give
// the very same bits, in every sine form (library below 9.4 kHz, then x^17, x^11 and x^9).
TEST(SignalFlowModel, TwoAndFourLanePassesGiveTheSameBits) {
  for (double rate : {8000.0, 16000.0, 22050.0, 48000.0}) {
    std::vector<double> outputs[2];
    for (int wide = 0; wide < 2; ++wide) {
      SetKernelWideVectors(wide == 1);
      PlaySession({rate, 6.0, 7, kNearest}, 1.0, [&](const double* left, const double* right, int n) {
        outputs[wide].insert(outputs[wide].end(), left, left + n);
        outputs[wide].insert(outputs[wide].end(), right, right + n);
      });
    }
    SetKernelWideVectors(true);
    ASSERT_EQ(outputs[0].size(), outputs[1].size()) << rate;
    EXPECT_EQ(0, std::memcmp(outputs[0].data(), outputs[1].data(), outputs[0].size() * sizeof(double))) << rate;
  }
}
