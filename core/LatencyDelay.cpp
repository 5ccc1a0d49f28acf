#include "core/LatencyDelay.h"

#include <algorithm>

LatencyDelay::LatencyDelay(int nInputs, int nOutputs, int length)
    : mNumInputs(std::max(nInputs, 0)), mNumOutputs(std::max(nOutputs, 0)) {
  SetLength(length);
}

void LatencyDelay::SetLength(int length) {
  mLength = std::max(length, 0);
  mBuffer.assign(static_cast<size_t>(mLength) * static_cast<size_t>(mNumInputs), 0.0);
  mWritePos = 0;
}

void LatencyDelay::Process(double* const* inputs, double* const* outputs, int nFrames) noexcept {
  if (mLength <= 0 || nFrames <= 0 || !outputs) return;
  const int nChannels = std::min(mNumInputs, mNumOutputs);
  for (int i = 0; i < nFrames; ++i) {
    for (int j = 0; j < nChannels; ++j) {
      double& stored = mBuffer[static_cast<size_t>(j) * mLength + mWritePos];
      const double in = (inputs && inputs[j]) ? inputs[j][i] : 0.0;
      if (outputs[j]) outputs[j][i] = stored;
      stored = in;
    }
    if (++mWritePos >= mLength) mWritePos = 0;
  }
}
