#include "instrument/MidiEventQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

MidiMessage Msg(int offset, uint8_t data1 = 0) {
  MidiMessage m;
  m.offset = offset;
  m.status = 0x90;
  m.data1 = data1;
  m.data2 = 100;
  return m;
}

std::vector<int> DrainOffsets(MidiEventQueue& q) {
  std::vector<int> out;
  while (!q.Empty()) {
    out.push_back(q.Front().offset * 1000 + q.Front().data1);
    q.PopFront();
  }
  return out;
}

TEST(MidiEventQueue, KeepsOffsetOrderAndArrivalOrderForTies) {
  MidiEventQueue q(1024);
  q.Add(Msg(10, 1));
  q.Add(Msg(5, 2));
  q.Add(Msg(10, 3));
  q.Add(Msg(0, 4));
  q.Add(Msg(5, 5));
  EXPECT_EQ((std::vector<int>{4, 5002, 5005, 10001, 10003}), DrainOffsets(q));
}

TEST(MidiEventQueue, FlushDropsHandledEntriesAndShiftsTheRest) {
  MidiEventQueue q(1024);
  q.Add(Msg(100, 1));
  q.Add(Msg(600, 2));
  q.Add(Msg(1100, 3));
  q.PopFront();
  q.Flush(512);
  ASSERT_EQ(2, q.Size());
  EXPECT_EQ(88, q.Front().offset);
  q.PopFront();
  EXPECT_EQ(588, q.Front().offset);
}

TEST(MidiEventQueue, CompactsBeforeGrowingAndDoublesWhenFull) {
  MidiEventQueue q(4);
  for (int i = 0; i < 4; ++i) q.Add(Msg(i));
  q.PopFront();
  q.PopFront();
  EXPECT_TRUE(q.Add(Msg(10)));  // room made by compaction
  EXPECT_EQ(4, q.Capacity());
  EXPECT_TRUE(q.Add(Msg(11)));
  EXPECT_TRUE(q.Add(Msg(12)));  // full with front 0: grows
  EXPECT_EQ(8, q.Capacity());
  EXPECT_EQ((std::vector<int>{2000, 3000, 10000, 11000, 12000}), DrainOffsets(q));

  // Growth is geometric: a flood of messages reallocates only a logarithmic number of times.
  q.Resize(512);
  const int start = q.Capacity();
  int growths = 0;
  for (int i = 0; i < 16 * start; ++i) {
    const int before = q.Capacity();
    ASSERT_TRUE(q.Add(Msg(i)));
    if (q.Capacity() != before) {
      ASSERT_EQ(2 * before, q.Capacity());
      ++growths;
    }
  }
  EXPECT_EQ(4, growths);
}

TEST(MidiEventQueue, ResetMakesRoomForThousandsOfEventsAndKeepsEntries) {
  MidiEventQueue q(16);
  q.Resize(64);
  EXPECT_GE(q.Capacity(), 4096);  // a realistic dense block never allocates on the audio thread
  const int base = q.Capacity();
  q.Resize(base + 1);
  EXPECT_EQ(base + 512, q.Capacity());
  for (int i = 0; i < base + 100; ++i) q.Add(Msg(i));
  q.Resize(10);  // holds more than the minimum: keeps room for all of them
  EXPECT_EQ(base + 512, q.Capacity());
  EXPECT_EQ(base + 100, q.Size());
  EXPECT_EQ(0, q.Front().offset);
}

TEST(MidiEventQueue, ZeroBlockSizeStillAcceptsMessages) {
  MidiEventQueue q(1024);
  q.Resize(0);
  EXPECT_GT(q.Capacity(), 0);
  EXPECT_TRUE(q.Add(Msg(0)));
}

TEST(MidiEventQueue, OutOfOrderInsertionIntoAFullQueueStaysInBounds) {
  MidiEventQueue q(512);
  for (int i = 0; i < 2000; ++i) ASSERT_TRUE(q.Add(Msg(2000 - i)));
  ASSERT_EQ(2000, q.Size());
  int previous = -1;
  while (!q.Empty()) {
    EXPECT_LE(previous, q.Front().offset);
    previous = q.Front().offset;
    q.PopFront();
  }
}

}  // namespace
