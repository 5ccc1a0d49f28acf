// A circular single-channel delay with linear-interpolated fractional reads.
//
// Per sample: read (any number of times), then write once, which also advances the line. The
// effective delay is therefore at least one sample, except on the first sample after a reset.
#pragma once

#include "engine/SampleBuffer.h"

#include <cstdint>

struct DelayLine {
  double* storage = nullptr;  // the buffer's samples; null if allocation failed
  int32_t size = 0;           // 2048 once reset
  int32_t wrapMask = 0;
  int32_t maxDelay = 0;       // 2000 samples
  int32_t readIndex = 0;
  int32_t writeIndex = 0;
  SampleBuffer* buffer = nullptr;  // owned, created by the first reset
};

constexpr int32_t kDelayLineSize = 2048;
constexpr int32_t kDelayLineMaxDelay = 2000;
static_assert((kDelayLineSize & (kDelayLineSize - 1)) == 0, "the delay ring wraps with a mask");
static_assert(kDelayLineMaxDelay < kDelayLineSize, "the longest read stays inside the ring");

// Allocates the storage on first use, otherwise clears it; read index = write index afterwards.
// Returns false when the line has no storage (it then renders silence).
bool ResetDelayLine(DelayLine& line) noexcept;

// The sample `delay` samples back, clamped to [1, 2000] (to [0, 2000] while nothing was written
// since the reset); 0 when the line has no storage.
double ReadDelayLine(const DelayLine& line, double delay) noexcept;

// Stores `sample` at the read position and advances the line by one sample.
void WriteDelayLine(DelayLine& line, double sample) noexcept;

// Releases the storage and the buffer record, remembering nothing.
void DestroyDelayLine(DelayLine& line) noexcept;
