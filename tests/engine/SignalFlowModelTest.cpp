// The kernel against the plain model of the signal flow, sample for sample, over long sessions
// with changing block sizes, gate changes, parameter changes and resets between blocks.
#include "ModelSession.h"

#include <gtest/gtest.h>

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
