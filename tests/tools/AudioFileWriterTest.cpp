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
    ASSERT_TRUE(writer.Open(path, 48000, SampleFormat::Double, 3, error)) << error;
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
  ASSERT_TRUE(writer.Open(path, 44100, SampleFormat::Pcm16, 0, error)) << error;
  ASSERT_TRUE(writer.Commit(error)) << error;
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(0, info.frames);
  EXPECT_EQ(SF_FORMAT_WAV, info.format & SF_FORMAT_TYPEMASK);
  sf_close(f);
  std::remove(path.c_str());
}

TEST(AudioFileWriter, EachWriterHasItsOwnTemporaryFile) {
  const std::string path = TestTempPath("shared.wav");
  const std::string unrelated = path + ".partial";  // someone else's file
  std::FILE* other = std::fopen(unrelated.c_str(), "wb");
  ASSERT_NE(nullptr, other);
  std::fclose(other);
  std::string error;
  const double frame[2] = {0.25, -0.25};
  std::string droppedTemp;
  {
    AudioFileWriter first, second, dropped;
    ASSERT_TRUE(first.Open(path, 48000, SampleFormat::Pcm16, 1, error)) << error;
    ASSERT_TRUE(second.Open(path, 48000, SampleFormat::Pcm16, 2, error)) << error;
    ASSERT_TRUE(dropped.Open(path, 48000, SampleFormat::Pcm16, 1, error)) << error;
    EXPECT_NE(first.TempPath(), second.TempPath());
    ASSERT_TRUE(first.Write(frame, 1, error));
    ASSERT_TRUE(second.Write(frame, 1, error));
    ASSERT_TRUE(second.Write(frame, 1, error));
    ASSERT_TRUE(dropped.Write(frame, 1, error));
    ASSERT_TRUE(second.Commit(error)) << error;
    ASSERT_TRUE(first.Commit(error)) << error;
    EXPECT_FALSE(Exists(second.TempPath()));
    droppedTemp = dropped.TempPath();
    EXPECT_TRUE(Exists(droppedTemp));
  }
  EXPECT_FALSE(Exists(droppedTemp));  // an uncommitted writer leaves nothing behind
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(1, info.frames);  // the last commit wins whole
  sf_close(f);
  EXPECT_TRUE(Exists(unrelated));
  std::remove(unrelated.c_str());
  std::remove(path.c_str());
}

TEST(AudioFileWriter, WavSwitchesToRf64BeyondFourGiB) {
  const long long limitBytes = 0xFFFFFFFFll - 65536;
  const struct {
    long long frames;
    int channels, bytes;
    bool rf64;
  } cases[] = {
      {0, 2, 8, false},
      {limitBytes / 6, 2, 3, false},
      {limitBytes / 6 + 1, 2, 3, true},
      {limitBytes / 16 + 1, 2, 8, true},
      {limitBytes / 16, 2, 8, false},
      {1500LL * 192000, 2, 8, true},  // 1500 s at 192 kHz in doubles: 4.6 GB
      {1500LL * 192000, 2, 2, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.rf64, WavNeedsRf64(c.frames, c.channels, c.bytes)) << c.frames;

  // The header decision is real: a writer told of a long render writes RF64 (and is read back
  // with its true length even though only a few frames were written here).
  const std::string path = TestTempPath("long.wav");
  std::string error;
  AudioFileWriter writer;
  ASSERT_TRUE(writer.Open(path, 192000, SampleFormat::Double, 1500LL * 192000, error)) << error;
  EXPECT_EQ(SF_FORMAT_RF64, writer.Container());
  const double frames[4] = {0.5, -0.5, 0.25, -0.25};
  ASSERT_TRUE(writer.Write(frames, 2, error));
  ASSERT_TRUE(writer.Commit(error)) << error;
  SF_INFO info = {};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(SF_FORMAT_RF64, info.format & SF_FORMAT_TYPEMASK);
  EXPECT_EQ(2, info.frames);
  sf_close(f);
  std::remove(path.c_str());
}

TEST(AudioFileWriter, RejectsUnknownContainersAndFloatFlac) {
  std::string error;
  AudioFileWriter writer;
  EXPECT_FALSE(writer.Open(TestTempPath("x.mp3"), 48000, SampleFormat::Pcm16, 1, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(writer.Open(TestTempPath("x.flac"), 48000, SampleFormat::Float, 1, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(writer.Open("/nonexistent-dir/x.wav", 48000, SampleFormat::Pcm16, 1, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
