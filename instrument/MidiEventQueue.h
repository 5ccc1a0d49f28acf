// Pending MIDI messages of the current and later blocks, ordered by sample offset.
// Filled by HandleMidiMessage and drained by ProcessBlock, both on the audio thread under the
// plug-in's parameter lock. Storage is sized at reset for several thousand messages per block;
// Add only allocates when more arrive than fit, then doubles the storage (so a flood of events
// costs amortised constant time each), and drops the message if the storage cannot grow.
#pragma once

#include "core/PlugTypes.h"

#include <memory>

class MidiEventQueue {
 public:
  // Room for at least this many messages after every Resize.
  static constexpr int kMinCapacity = 8192;

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
  // Capacity = the larger of kMinCapacity and the block size rounded up to 512 entries (more
  // when more are queued). Allocates: call at reset.
  void Resize(int blockSize);
  void Clear() noexcept { mFront = mEnd = 0; }

  int Capacity() const noexcept { return mCapacity; }

 private:
  void Compact() noexcept;
  bool Reallocate(int capacity);

  std::unique_ptr<MidiMessage[]> mStorage;
  int mCapacity = 0;
  int mFront = 0;  // first unhandled entry
  int mEnd = 0;    // one past the last entry
};
