#include "engine/DelayLine.h"

#include <cstdio>
#include <cstring>
#include <new>

bool ResetDelayLine(DelayLine& line) noexcept {
  if (line.buffer == nullptr) {
    line.buffer = new (std::nothrow) SampleBuffer();
    if (line.buffer == nullptr) {
      std::fprintf(stderr, "%s\n", "allocating [data]: out of memory");
      line.storage = nullptr;
      return false;
    }
    line.maxDelay = kDelayLineMaxDelay;
    line.size = kDelayLineSize;
    ResizeSampleBuffer(*line.buffer, kDelayLineSize);
    if (line.buffer->frameCount != kDelayLineSize) {
      std::fprintf(stderr, "%s\n", "delay memory size error");
      line.storage = nullptr;
      return false;
    }
    line.storage = line.buffer->samples;
    line.writeIndex = static_cast<int32_t>(line.buffer->savedWritePosition) & (kDelayLineSize - 1);
  } else {
    // A line whose first allocation failed keeps no storage to clear.
    if (line.storage == nullptr) return false;
    std::memset(line.storage, 0, sizeof(double) * static_cast<size_t>(line.size));
    line.writeIndex = 0;
  }
  line.readIndex = line.writeIndex;
  line.wrapMask = line.size - 1;
  return true;
}

double ReadDelayLine(const DelayLine& line, double delay) noexcept {
  if (line.storage == nullptr) return 0.0;
  const double lo = line.readIndex != line.writeIndex ? 1.0 : 0.0;
  const double hi = static_cast<double>(line.maxDelay);
  double d = delay;
  if (d < lo) {
    d = lo;
  } else if (d > hi) {
    d = hi;
  } else if (!(d == d)) {
    d = lo;  // a NaN delay would make the index undefined
  }
  const double r = static_cast<double>(line.size + line.readIndex) - d;
  const int32_t i = static_cast<int32_t>(r);
  const double a = r - static_cast<double>(i);
  const double x1 = line.storage[i & line.wrapMask];
  const double x2 = line.storage[(i + 1) & line.wrapMask];
  return x1 + (x2 - x1) * a;
}

void WriteDelayLine(DelayLine& line, double sample) noexcept {
  if (line.storage == nullptr) return;
  line.writeIndex = line.readIndex;
  line.storage[line.writeIndex] = sample;
  if (++line.readIndex >= line.size) line.readIndex = 0;
}

void DestroyDelayLine(DelayLine& line) noexcept {
  if (line.buffer != nullptr) {
    line.buffer->savedWritePosition = static_cast<double>(line.writeIndex);
    FreeSampleBuffer(*line.buffer);
    delete line.buffer;
    line.buffer = nullptr;
  }
  line.storage = nullptr;
}
