#include "engine/DelayLine.h"

#include <gtest/gtest.h>

namespace {
struct Line {
  DelayLine d;
  Line() { EXPECT_TRUE(ResetDelayLine(d)); }
  ~Line() { DestroyDelayLine(d); }
};
}  // namespace

TEST(DelayLine, FirstResetAllocatesARingOf2048) {
  Line l;
  EXPECT_EQ(2048, l.d.size);
  EXPECT_EQ(2047, l.d.wrapMask);
  EXPECT_EQ(2000, l.d.maxDelay);
  ASSERT_NE(nullptr, l.d.storage);
  EXPECT_EQ(l.d.buffer->samples, l.d.storage);
  EXPECT_EQ(l.d.readIndex, l.d.writeIndex);
}

TEST(DelayLine, ZeroDelayHasAOneSampleMinimumAfterTheFirstWrite) {
  Line l;
  EXPECT_EQ(0.0, ReadDelayLine(l.d, 0.0));  // the very first sample may read its own (empty) slot
  WriteDelayLine(l.d, 0.25);
  EXPECT_EQ(0.25, ReadDelayLine(l.d, 0.0));
  EXPECT_EQ(0.25, ReadDelayLine(l.d, -7.0));
  WriteDelayLine(l.d, 0.5);
  EXPECT_EQ(0.5, ReadDelayLine(l.d, 0.0));
  EXPECT_EQ(0.25, ReadDelayLine(l.d, 2.0));
}

TEST(DelayLine, FractionalReadsInterpolateLinearly) {
  Line l;
  for (int i = 1; i <= 10; ++i) WriteDelayLine(l.d, i * 1.0);  // 10 was written last
  EXPECT_EQ(8.0, ReadDelayLine(l.d, 3.0));
  EXPECT_EQ(8.5, ReadDelayLine(l.d, 2.5));  // mean of 2 and 3 samples back
  EXPECT_DOUBLE_EQ(9.75, ReadDelayLine(l.d, 1.25));
}

TEST(DelayLine, LongDelaysAreHeldAt2000AndWrapAroundTheRing) {
  Line l;
  for (int i = 0; i < 5000; ++i) WriteDelayLine(l.d, static_cast<double>(i));
  EXPECT_EQ(4999.0 - 1999.0, ReadDelayLine(l.d, 2000.0));
  EXPECT_EQ(4999.0 - 1999.0, ReadDelayLine(l.d, 5000.0));
  EXPECT_EQ(4999.0, ReadDelayLine(l.d, 1.0));
  EXPECT_GE(l.d.readIndex, 0);
  EXPECT_LT(l.d.readIndex, 2048);
}

TEST(DelayLine, ResetClearsButKeepsTheStorage) {
  Line l;
  for (int i = 0; i < 3000; ++i) WriteDelayLine(l.d, 1.0);
  double* storage = l.d.storage;
  EXPECT_TRUE(ResetDelayLine(l.d));
  EXPECT_TRUE(ResetDelayLine(l.d));
  EXPECT_EQ(storage, l.d.storage);
  EXPECT_EQ(0, l.d.writeIndex);
  EXPECT_EQ(0, l.d.readIndex);
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(0.0, storage[i]);
}

TEST(SampleBuffer, ResizeKeepsSameSizedStorageAndCopiesWhatFits) {
  SampleBuffer b;
  ResizeSampleBuffer(b, 8);
  ASSERT_NE(nullptr, b.samples);
  for (int i = 0; i < 8; ++i) b.samples[i] = i + 1.0;
  double* same = b.samples;
  ResizeSampleBuffer(b, 8);
  EXPECT_EQ(same, b.samples);
  EXPECT_EQ(0.0, b.samples[3]);  // kept storage is cleared
  for (int i = 0; i < 8; ++i) b.samples[i] = i + 1.0;
  ResizeSampleBuffer(b, 4);
  EXPECT_EQ(4, b.frameCount);
  EXPECT_EQ(1, b.channelCount);
  EXPECT_EQ(4.0, b.samples[3]);
  ResizeSampleBuffer(b, 6);
  EXPECT_EQ(4.0, b.samples[3]);
  EXPECT_EQ(0.0, b.samples[5]);
  FreeSampleBuffer(b);
  EXPECT_EQ(nullptr, b.samples);
}

TEST(DelayLine, DestroyRemembersNothingAndAllowsAFreshStart) {
  DelayLine d;
  ASSERT_TRUE(ResetDelayLine(d));
  for (int i = 0; i < 10; ++i) WriteDelayLine(d, 1.0);
  DestroyDelayLine(d);
  EXPECT_EQ(nullptr, d.storage);
  EXPECT_EQ(nullptr, d.buffer);
  EXPECT_EQ(0.0, ReadDelayLine(d, 1.0));  // no storage reads silence
  WriteDelayLine(d, 1.0);                 // and writing is a no-op
}
