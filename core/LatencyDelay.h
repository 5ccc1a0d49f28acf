// The pass-through delay used while a plug-in with latency is bypassed: each input leaves on the
// output of the same index exactly `length` samples later, so a bypassed plug-in stays in time
// with the latency it reported. Sized on the UI thread (SetLength allocates); Process runs on the
// audio thread and allocates nothing.
#pragma once

#include <vector>

class LatencyDelay {
 public:
  LatencyDelay(int nInputs, int nOutputs, int length);

  // Resizes to length * nInputs samples, clears them and restarts at position 0.
  void SetLength(int length);

  // For channels below both counts: out j := the sample stored for j, then the input is stored.
  // Null input buffers read as silence; null output buffers are skipped. Length 0 does nothing.
  void Process(double* const* inputs, double* const* outputs, int nFrames) noexcept;

  int Length() const noexcept { return mLength; }
  int WritePos() const noexcept { return mWritePos; }
  int NInputs() const noexcept { return mNumInputs; }
  int NOutputs() const noexcept { return mNumOutputs; }

 private:
  std::vector<double> mBuffer;  // channel-major: channel j owns [j * length, (j + 1) * length)
  int mWritePos = 0;
  int mNumInputs = 0;
  int mNumOutputs = 0;
  int mLength = 0;
};
