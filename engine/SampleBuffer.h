// A growable single-channel block of samples, owned by a delay line.
#pragma once

#include <cstdint>

struct SampleBuffer {
  int32_t frameCount = 0;
  int32_t channelCount = 0;
  double* samples = nullptr;
  double savedWritePosition = 0.0;  // the owning line's write index, kept across storage changes
};

constexpr int32_t kSampleBufferMaxFrames = 1 << 25;  // 256 MB of doubles

// Resizes to `frames` frames of one channel, zero-filled; keeps the storage when the size is
// unchanged, otherwise copies what fits from the old storage. An allocation failure falls back
// to 512 frames, then 4. Leaves the buffer empty (frameCount 0) if even that fails.
void ResizeSampleBuffer(SampleBuffer& buffer, int32_t frames) noexcept;

// Frees the samples; the record keeps its saved write position.
void FreeSampleBuffer(SampleBuffer& buffer) noexcept;
