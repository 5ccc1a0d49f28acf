// Pending MIDI messages of the current and later blocks, ordered by sample offset.
// Filled by HandleMidiMessage and drained by ProcessBlock, both on the audio thread under the
// plug-in's parameter lock. Storage is sized at reset to the block size; Add only allocates when
// more messages arrive than fit, and drops the message if the storage cannot grow.
#pragma once

#include "core/PlugTypes.h"

#include <memory>

class MidiEventQueue {
 public:
  explicit MidiEventQueue(int capacity);

  // Inserts after every queued entry whose offset is not greater (equal offsets keep arrival
  // order). False when the queue is full and cannot grow: the message is dropped.
  bool Add(const MidiMessage& message);

  bool Empty() const noexcept { return mFront >= mEnd; }
  int Size() const noexcept { return mEnd - mFront; }
  const MidiMessage& Front() const noexcept { return mStorage[mFront]; }  // only when !Empty()
  void PopFront() noexcept {
    if (mFront < mEnd) ++mFront;
  }

  // Drops handled entries and moves the rest n samples earlier (the next block starts at 0).
  void Flush(int nFrames) noexcept;
  // Capacity = block size rounded up to 512 entries (more when more are queued); also the growth step.
  void Resize(int blockSize);
  void Clear() noexcept { mFront = mEnd = 0; }

  int Capacity() const noexcept { return mCapacity; }
  int GrowthStep() const noexcept { return mGrowthStep; }

 private:
  void Compact() noexcept;
  bool Reallocate(int capacity);

  std::unique_ptr<MidiMessage[]> mStorage;
  int mCapacity = 0;
  int mGrowthStep = 0;
  int mFront = 0;  // first unhandled entry
  int mEnd = 0;    // one past the last entry
};
