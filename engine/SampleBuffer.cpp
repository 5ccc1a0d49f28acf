#include "engine/SampleBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void ResizeSampleBuffer(SampleBuffer& buffer, int32_t frames) noexcept {
  for (;;) {
    if (frames > kSampleBufferMaxFrames) {
      std::printf("%s\n", "warning: constraining [data] to < 256MB");
      frames = kSampleBufferMaxFrames;
    }
    if (frames < 0) frames = 0;
    if (buffer.samples != nullptr &&
        static_cast<int64_t>(buffer.frameCount) * buffer.channelCount == frames) {
      buffer.frameCount = frames;
      buffer.channelCount = 1;
      std::memset(buffer.samples, 0, sizeof(double) * static_cast<size_t>(frames));
      return;
    }
    double* fresh = static_cast<double*>(std::calloc(static_cast<size_t>(std::max(frames, 1)), sizeof(double)));
    if (fresh == nullptr) {
      std::fprintf(stderr, "%s\n", "allocating [data]: out of memory");
      if (frames > 512) {
        frames = 512;
        continue;
      }
      if (frames > 4) {
        frames = 4;
        continue;
      }
      return;  // nothing left to try: the buffer keeps what it had
    }
    if (buffer.samples != nullptr) {
      // The first channel is the first frameCount samples (channels are stored one after another).
      const int32_t keep = std::min(buffer.frameCount, frames);
      std::memcpy(fresh, buffer.samples, sizeof(double) * static_cast<size_t>(std::max(keep, 0)));
      std::free(buffer.samples);
    }
    buffer.samples = fresh;
    buffer.frameCount = frames;
    buffer.channelCount = 1;
    return;
  }
}

void FreeSampleBuffer(SampleBuffer& buffer) noexcept {
  std::free(buffer.samples);
  buffer.samples = nullptr;
  buffer.frameCount = 0;
  buffer.channelCount = 0;
}
