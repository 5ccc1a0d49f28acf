#include "tools/render/AudioFileWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

}  // namespace

AudioFileWriter::~AudioFileWriter() { Discard(); }

bool AudioFileWriter::Open(const std::string& path, int sampleRate, SampleFormat format, std::string& error) {
  const std::string ext = LowerExtension(path);
  int container = 0;
  if (ext == "wav") container = SF_FORMAT_WAV;
  else if (ext == "flac") container = SF_FORMAT_FLAC;
  else {
    error = "output '" + path + "' must end in .wav or .flac";
    return false;
  }
  int subtype = SF_FORMAT_PCM_24;
  switch (format) {
    case SampleFormat::Pcm16: subtype = SF_FORMAT_PCM_16; break;
    case SampleFormat::Pcm24: subtype = SF_FORMAT_PCM_24; break;
    case SampleFormat::Float: subtype = SF_FORMAT_FLOAT; break;
    case SampleFormat::Double: subtype = SF_FORMAT_DOUBLE; break;
  }
  if (container == SF_FORMAT_FLAC && (format == SampleFormat::Float || format == SampleFormat::Double)) {
    error = "FLAC holds only pcm16 or pcm24 samples";
    return false;
  }

  SF_INFO info = {};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = container | subtype;
  if (!sf_format_check(&info)) {
    error = "unsupported output format";
    return false;
  }
  mPath = path;
  mTempPath = path + ".partial";
  mFile = sf_open(mTempPath.c_str(), SFM_WRITE, &info);
  if (!mFile) {
    error = "cannot write '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  // Full-scale float input maps to full-scale integers without wrapping on clipped peaks.
  sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The float formats' peak chunk carries a timestamp; without it equal renders are equal files.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return true;
}

bool AudioFileWriter::Write(const double* interleaved, long frames, std::string& error) {
  if (!mFile) {
    error = "output file is not open";
    return false;
  }
  if (sf_writef_double(mFile, interleaved, frames) != frames) {
    error = "writing '" + mPath + "' failed: " + sf_strerror(mFile);
    return false;
  }
  return true;
}

bool AudioFileWriter::Commit(std::string& error) {
  if (!mFile) {
    error = "output file is not open";
    return false;
  }
  const int closeResult = sf_close(mFile);
  mFile = nullptr;
  if (closeResult != 0 || std::rename(mTempPath.c_str(), mPath.c_str()) != 0) {
    error = "cannot finish '" + mPath + "'";
    std::remove(mTempPath.c_str());
    mTempPath.clear();
    return false;
  }
  mTempPath.clear();
  return true;
}

void AudioFileWriter::Discard() {
  if (mFile) {
    sf_close(mFile);
    mFile = nullptr;
  }
  if (!mTempPath.empty()) {
    std::remove(mTempPath.c_str());
    mTempPath.clear();
  }
}
