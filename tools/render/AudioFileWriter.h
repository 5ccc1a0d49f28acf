// Writes interleaved stereo audio through libsndfile. The file is written under a unique
// temporary name beside the target and renamed into place by Commit(), so a failed or
// interrupted render never leaves a partial output file behind, and two renders to one name
// never write into each other's file. A .wav output that may pass the 4 GiB limit of its size
// fields is written as RF64 instead.
#pragma once

#include "tools/render/RenderOptions.h"

#include <string>

struct sf_private_tag;

// Bytes per sample of a format as stored in the file.
int SampleFormatBytes(SampleFormat format);

// True when a WAV file of this many frames would not fit the 32-bit sizes of its header.
bool WavNeedsRf64(long long frames, int channels, int bytesPerSample);

class AudioFileWriter {
 public:
  AudioFileWriter() = default;
  ~AudioFileWriter();  // discards an uncommitted file
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // Container from the extension (.wav or .flac, case-insensitive); `frames` is the length to
  // come, which decides between WAV and RF64. False with a message on failure.
  bool Open(const std::string& path, int sampleRate, SampleFormat format, long long frames, std::string& error);
  // frames x 2 interleaved samples.
  bool Write(const double* interleaved, long frames, std::string& error);
  bool Commit(std::string& error);
  void Discard();
  // SF_FORMAT_WAV, SF_FORMAT_RF64 or SF_FORMAT_FLAC once open.
  int Container() const noexcept { return mContainer; }
  const std::string& TempPath() const noexcept { return mTempPath; }

 private:
  sf_private_tag* mFile = nullptr;
  std::string mPath;
  std::string mTempPath;
  int mContainer = 0;
};
