// Writes interleaved stereo audio through libsndfile. The file is written under a temporary
// name beside the target and renamed into place by Commit(), so a failed or interrupted
// render never leaves a partial output file behind.
#pragma once

#include "tools/render/RenderOptions.h"

#include <string>

struct sf_private_tag;

class AudioFileWriter {
 public:
  AudioFileWriter() = default;
  ~AudioFileWriter();  // discards an uncommitted file
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // Container from the extension (.wav or .flac, case-insensitive). False with a message on failure.
  bool Open(const std::string& path, int sampleRate, SampleFormat format, std::string& error);
  // frames x 2 interleaved samples.
  bool Write(const double* interleaved, long frames, std::string& error);
  bool Commit(std::string& error);
  void Discard();

 private:
  sf_private_tag* mFile = nullptr;
  std::string mPath;
  std::string mTempPath;
};
