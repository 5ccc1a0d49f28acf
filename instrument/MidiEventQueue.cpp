#include "instrument/MidiEventQueue.h"

#include <algorithm>
#include <climits>
#include <new>

namespace {
constexpr int kQueueGranularity = 512;

int RoundUp(int n, int step) { return (n + step - 1) / step * step; }
}  // namespace

MidiEventQueue::MidiEventQueue(int capacity) { Reallocate(capacity); }

bool MidiEventQueue::Reallocate(int capacity) {
  if (capacity <= 0) return false;
  MidiMessage* storage = new (std::nothrow) MidiMessage[capacity];
  if (!storage) return false;
  std::copy(mStorage.get() + mFront, mStorage.get() + mEnd, storage);
  mEnd -= mFront;
  mFront = 0;
  mStorage.reset(storage);
  mCapacity = capacity;
  return true;
}

void MidiEventQueue::Compact() noexcept {
  if (mFront == 0) return;
  std::copy(mStorage.get() + mFront, mStorage.get() + mEnd, mStorage.get());
  mEnd -= mFront;
  mFront = 0;
}

bool MidiEventQueue::Add(const MidiMessage& message) {
  if (mEnd >= mCapacity) {
    if (mFront > 0) {
      Compact();
    } else if (mCapacity > INT_MAX / 2 || !Reallocate(mCapacity > 0 ? 2 * mCapacity : kQueueGranularity)) {
      return false;
    }
  }
  if (!Empty() && message.offset < mStorage[mEnd - 1].offset) {
    int at = mEnd - 1;
    while (at >= mFront && mStorage[at].offset > message.offset) --at;
    const int insertAt = at + 1;  // after the last entry not later than the message
    std::copy_backward(mStorage.get() + insertAt, mStorage.get() + mEnd, mStorage.get() + mEnd + 1);
    mStorage[insertAt] = message;
  } else {
    mStorage[mEnd] = message;
  }
  ++mEnd;
  return true;
}

void MidiEventQueue::Flush(int nFrames) noexcept {
  Compact();
  for (int i = 0; i < mEnd; ++i) mStorage[i].offset -= nFrames;
}

void MidiEventQueue::Resize(int blockSize) {
  Compact();
  // A host that reports no block size still gets a usable queue.
  int capacity = std::max(RoundUp(std::max(blockSize, 1), kQueueGranularity), static_cast<int>(kMinCapacity));
  if (mEnd > capacity) capacity = RoundUp(mEnd, kQueueGranularity);
  if (capacity != mCapacity) Reallocate(capacity);
}
