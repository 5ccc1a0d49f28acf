#include "tools/render/AudioFileWriter.h"

#include "tests/TestTmp.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool Exists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

TEST(AudioFileWriter, CommittedDoubleFileReadsBackExactly) {
  const std::string path = TestTempPath("exact.wav");
  std::vector<double> samples = {0.0, -1.0, 0.123456789012345, 1.0, -0.5, 1e-300};
  std::string error;
  {
    AudioFileWriter writer;
    ASSERT_TRUE(writer.Open(path, 48000, SampleFormat::Double, error)) << error;
    ASSERT_TRUE(writer.Write(samples.data(), 3, error)) << error;
    EXPECT_FALSE(Exists(path)) << "visible before commit";
    ASSERT_TRUE(writer.Commit(error)) << error;
  }
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(2, info.channels);
  EXPECT_EQ(48000, info.samplerate);
  ASSERT_EQ(3, info.frames);
  std::vector<double> back(6);
  EXPECT_EQ(3, sf_readf_double(f, back.data(), 3));
  sf_close(f);
  EXPECT_EQ(samples, back);
  // No timestamped peak chunk: two equal renders must be byte-identical files.
  std::FILE* raw = std::fopen(path.c_str(), "rb");
  ASSERT_NE(nullptr, raw);
  std::string bytes(4096, '\0');
  bytes.resize(std::fread(&bytes[0], 1, bytes.size(), raw));
  std::fclose(raw);
  EXPECT_EQ(std::string::npos, bytes.find("PEAK"));
  std::remove(path.c_str());
}

TEST(AudioFileWriter, EmptyRenderIsAValidFile) {
  const std::string path = TestTempPath("empty.wav");
  std::string error;
  AudioFileWriter writer;
  ASSERT_TRUE(writer.Open(path, 44100, SampleFormat::Pcm16, error)) << error;
  ASSERT_TRUE(writer.Commit(error)) << error;
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(0, info.frames);
  EXPECT_EQ(SF_FORMAT_WAV, info.format & SF_FORMAT_TYPEMASK);
  sf_close(f);
  std::remove(path.c_str());
}

TEST(AudioFileWriter, UncommittedWriterLeavesNothingBehind) {
  const std::string path = TestTempPath("dropped.wav");
  std::string error;
  {
    AudioFileWriter writer;
    ASSERT_TRUE(writer.Open(path, 48000, SampleFormat::Pcm24, error)) << error;
    const double frame[2] = {0.25, -0.25};
    ASSERT_TRUE(writer.Write(frame, 1, error));
  }
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(Exists(path + ".partial"));
}

TEST(AudioFileWriter, RejectsUnknownContainersAndFloatFlac) {
  std::string error;
  AudioFileWriter writer;
  EXPECT_FALSE(writer.Open(TestTempPath("x.mp3"), 48000, SampleFormat::Pcm16, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(writer.Open(TestTempPath("x.flac"), 48000, SampleFormat::Float, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(writer.Open("/nonexistent-dir/x.wav", 48000, SampleFormat::Pcm16, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
