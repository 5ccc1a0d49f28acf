#include "tools/render/AudioFileWriter.h"

#include "instrument/RegularFile.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

int SampleFormatBytes(SampleFormat format) {
  switch (format) {
    case SampleFormat::Pcm16: return 2;
    case SampleFormat::Pcm24: return 3;
    case SampleFormat::Float: return 4;
    case SampleFormat::Double: return 8;
  }
  return 8;
}

bool WavNeedsRf64(long long frames, int channels, int bytesPerSample) {
  // The RIFF size counts the data and every chunk header before it; a generous 64 KiB stands
  // in for those, so a file near the limit goes to RF64 rather than risk a wrapped size.
  constexpr unsigned long long kLimit = 0xFFFFFFFFull - 65536;
  if (frames <= 0) return false;
  const unsigned long long perFrame = static_cast<unsigned long long>(channels) * bytesPerSample;
  return perFrame != 0 && static_cast<unsigned long long>(frames) > kLimit / perFrame;
}

AudioFileWriter::~AudioFileWriter() { Discard(); }

bool AudioFileWriter::Open(const std::string& path, int sampleRate, SampleFormat format, long long frames,
                           std::string& error) {
  const std::string ext = LowerExtension(path);
  int container = 0;
  if (ext == "wav") container = WavNeedsRf64(frames, 2, SampleFormatBytes(format)) ? SF_FORMAT_RF64 : SF_FORMAT_WAV;
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
  if (GetPathKind(path) == PathKind::Other) {
    error = "output '" + path + "' exists and is not a regular file";
    return false;
  }
  std::string tempPath;
  std::FILE* temp = CreateFileBeside(path, tempPath);
  if (!temp) {
    error = "cannot write '" + path + "': cannot create a file in its folder (" + std::strerror(errno) + ")";
    return false;
  }
  const int fd = ::dup(::fileno(temp));
  std::fclose(temp);
  // libsndfile owns the descriptor from here, and closes it also when the open fails.
  mFile = fd < 0 ? nullptr : sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
  if (!mFile) {
    std::remove(tempPath.c_str());
    error = "cannot write '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  mPath = path;
  mTempPath = tempPath;
  mContainer = container;
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
  if (closeResult != 0 || !RenameOver(mTempPath, mPath)) {
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
