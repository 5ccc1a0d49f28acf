#include "tools/render/MidiFile.h"

#include "tests/TestTmp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

void AppendBe32(Bytes& to, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) to.push_back(static_cast<uint8_t>(value >> shift));
}

Bytes Chunk(const char* id, const Bytes& body) {
  Bytes chunk(id, id + 4);
  AppendBe32(chunk, static_cast<uint32_t>(body.size()));
  Append(chunk, body);
  return chunk;
}

Bytes Header(uint16_t format, uint16_t trackCount, uint16_t division) {
  return Chunk("MThd", {static_cast<uint8_t>(format >> 8), static_cast<uint8_t>(format),
                        static_cast<uint8_t>(trackCount >> 8), static_cast<uint8_t>(trackCount),
                        static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)});
}

// Track body assembled event by event; delta times are written as variable-length quantities.
class Track {
 public:
  // Event bytes after the delta time, written verbatim (status may be omitted for running status).
  Track& At(uint32_t delta, std::initializer_list<uint8_t> event) {
    Delta(delta);
    mBytes.insert(mBytes.end(), event);
    return *this;
  }
  Track& Tempo(uint32_t delta, uint32_t usPerQuarter) {
    return At(delta, {0xFF, 0x51, 0x03, static_cast<uint8_t>(usPerQuarter >> 16),
                      static_cast<uint8_t>(usPerQuarter >> 8), static_cast<uint8_t>(usPerQuarter)});
  }
  Track& End() { return At(0, {0xFF, 0x2F, 0x00}); }
  Track& Raw(std::initializer_list<uint8_t> bytes) {
    mBytes.insert(mBytes.end(), bytes);
    return *this;
  }
  Bytes Chunk() const { return ::Chunk("MTrk", mBytes); }

 private:
  void Delta(uint32_t value) {
    uint8_t groups[4];
    int count = 0;
    do {
      groups[count++] = value & 0x7F;
      value >>= 7;
    } while (value != 0);
    while (count > 1) mBytes.push_back(groups[--count] | 0x80);
    mBytes.push_back(groups[0]);
  }

  Bytes mBytes;
};

Bytes File(uint16_t format, uint16_t division, std::initializer_list<Track> tracks) {
  Bytes file = Header(format, static_cast<uint16_t>(tracks.size()), division);
  for (const Track& track : tracks) Append(file, track.Chunk());
  return file;
}

bool Parse(const Bytes& bytes, std::vector<TimedMidiEvent>& events, std::string& error) {
  return ParseMidiBytes(bytes.data(), bytes.size(), events, error);
}

// Parses a file expected to be malformed; returns the message.
std::string ErrorOf(const Bytes& bytes) {
  std::vector<TimedMidiEvent> events{{1.0, 0x90, 60, 100}};
  std::string error;
  EXPECT_FALSE(Parse(bytes, events, error));
  EXPECT_TRUE(events.empty()) << "events must be cleared on failure";
  return error;
}

void ExpectEvent(const TimedMidiEvent& e, double seconds, uint8_t status, uint8_t data1, uint8_t data2) {
  EXPECT_DOUBLE_EQ(seconds, e.seconds);
  EXPECT_EQ(status, e.status);
  EXPECT_EQ(data1, e.data1);
  EXPECT_EQ(data2, e.data2);
}

constexpr uint16_t kTpq = 480;

TEST(MidiFile, Format0TimesAtDefaultTempo) {
  // Delta 480 written by hand as 0x83 0x60; at 120 BPM one quarter (480 ticks) lasts 0.5 s.
  Track track;
  track.At(0, {0x90, 60, 100}).Raw({0x83, 0x60, 0x80, 60, 64}).At(240, {0x90, 62, 90}).At(1920, {0x80, 62, 0}).End();
  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(File(0, kTpq, {track}), events, error)) << error;
  ASSERT_EQ(4u, events.size());
  ExpectEvent(events[0], 0.0, 0x90, 60, 100);
  ExpectEvent(events[1], 0.5, 0x80, 60, 64);
  ExpectEvent(events[2], 0.75, 0x90, 62, 90);
  ExpectEvent(events[3], 2.75, 0x80, 62, 0);
}

TEST(MidiFile, TempoChangesApplyFromTheirTickAcrossTracks) {
  std::vector<TimedMidiEvent> events;
  std::string error;
  // 120 BPM, then 60 BPM from tick 960: ticks 0, 480, 960, 1440, 1920 -> 0, 0.5, 1, 2, 3 s.
  Track notes;
  for (int i = 0; i < 5; ++i) notes.At(i == 0 ? 0 : 480, {0x90, static_cast<uint8_t>(60 + i), 100});
  notes.End();
  Track conductor;
  conductor.Tempo(0, 500000).Tempo(960, 1000000).End();
  ASSERT_TRUE(Parse(File(1, kTpq, {conductor, notes}), events, error)) << error;
  ASSERT_EQ(5u, events.size());
  const double expected[] = {0.0, 0.5, 1.0, 2.0, 3.0};
  for (int i = 0; i < 5; ++i) ExpectEvent(events[i], expected[i], 0x90, static_cast<uint8_t>(60 + i), 100);

  // The same map from a tempo track placed after the notes still governs them.
  ASSERT_TRUE(Parse(File(1, kTpq, {notes, conductor}), events, error)) << error;
  ASSERT_EQ(5u, events.size());
  for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(expected[i], events[i].seconds);

  // A change between two events splits the span: 240 ticks at 0.5 s/quarter, 240 at 1.5 s/quarter.
  Track mid;
  mid.Tempo(240, 1500000).End();
  Track two;
  two.At(0, {0x90, 60, 1}).At(480, {0x80, 60, 0}).At(480, {0x90, 61, 1}).End();
  ASSERT_TRUE(Parse(File(1, kTpq, {mid, two}), events, error)) << error;
  ASSERT_EQ(3u, events.size());
  EXPECT_DOUBLE_EQ(0.0, events[0].seconds);
  EXPECT_DOUBLE_EQ(0.25 + 0.75, events[1].seconds);
  EXPECT_DOUBLE_EQ(1.0 + 1.5, events[2].seconds);

  // Of changes at one tick the last in track order wins; a tempo in a format 0 track works too.
  Track first;
  first.Tempo(0, 250000).End();
  Track second;
  second.Tempo(0, 2000000).At(480, {0xB0, 7, 100}).End();
  ASSERT_TRUE(Parse(File(1, kTpq, {first, second}), events, error)) << error;
  ASSERT_EQ(1u, events.size());
  EXPECT_DOUBLE_EQ(2.0, events[0].seconds);
  Track single;
  single.Tempo(0, 750000).At(960, {0xB0, 7, 100}).Tempo(0, 250000).At(960, {0xB0, 7, 90}).End();
  ASSERT_TRUE(Parse(File(0, kTpq, {single}), events, error)) << error;
  ASSERT_EQ(2u, events.size());
  EXPECT_DOUBLE_EQ(1.5, events[0].seconds);
  EXPECT_DOUBLE_EQ(2.0, events[1].seconds);
}

TEST(MidiFile, TracksMergeInTimeOrderWithTrackOrderOnTies) {
  Track a;
  a.At(0, {0x90, 1, 1}).At(480, {0x90, 2, 1}).At(0, {0x90, 3, 1}).At(960, {0x90, 4, 1}).End();
  Track b;
  b.At(0, {0x90, 11, 1}).At(240, {0x90, 12, 1}).At(240, {0x90, 13, 1}).At(960, {0x90, 14, 1}).End();
  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(File(1, kTpq, {a, b}), events, error)) << error;
  ASSERT_EQ(8u, events.size());
  const uint8_t order[] = {1, 11, 12, 2, 3, 13, 4, 14};
  const double times[] = {0.0, 0.0, 0.25, 0.5, 0.5, 0.5, 1.5, 1.5};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(order[i], events[i].data1) << "position " << i;
    EXPECT_DOUBLE_EQ(times[i], events[i].seconds) << "position " << i;
  }

  // Many simultaneous events (enough to defeat an unstable sort): track order, then file order.
  Track late;
  Track early;
  for (uint8_t i = 0; i < 40; ++i) {
    late.At(i == 0 ? 480 : 0, {0xB0, i, 0});
    early.At(i == 0 ? 480 : 0, {0xB0, i, 1});
  }
  late.At(0, {0x90, 1, 0}).End();
  early.At(0, {0x90, 2, 1}).End();
  ASSERT_TRUE(Parse(File(1, kTpq, {early, late}), events, error)) << error;
  ASSERT_EQ(82u, events.size());
  for (size_t i = 0; i < 82; ++i) {
    const bool fromEarly = i < 41;
    const size_t index = fromEarly ? i : i - 41;
    EXPECT_EQ(index == 40 ? 0x90 : 0xB0, events[i].status) << "position " << i;
    EXPECT_EQ(index == 40 ? (fromEarly ? 2 : 1) : index, events[i].data1) << "position " << i;
    EXPECT_EQ(fromEarly ? 1 : 0, events[i].data2) << "position " << i;
    EXPECT_DOUBLE_EQ(0.5, events[i].seconds);
  }
}

TEST(MidiFile, RunningStatusAndMessageLengths) {
  Track track;
  track.At(0, {0x90, 60, 100})
      .At(10, {62, 101})         // running note-on
      .At(10, {0xC0, 5})         // program change: one data byte
      .At(10, {6})               // running program change
      .At(10, {0xD0, 70})        // channel pressure: one data byte
      .At(10, {71})
      .At(10, {0xE0, 0x00, 0x40})  // pitch bend: two data bytes
      .At(10, {0x7F, 0x7F})
      .At(10, {0xA0, 60, 30})    // poly pressure
      .At(10, {0xB0, 64, 127})   // control change
      .At(10, {0x80, 60, 0})
      .End();
  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(File(0, kTpq, {track}), events, error)) << error;
  ASSERT_EQ(11u, events.size());
  const uint8_t expected[11][3] = {{0x90, 60, 100}, {0x90, 62, 101}, {0xC0, 5, 0},      {0xC0, 6, 0},
                                   {0xD0, 70, 0},   {0xD0, 71, 0},   {0xE0, 0x00, 0x40}, {0xE0, 0x7F, 0x7F},
                                   {0xA0, 60, 30},  {0xB0, 64, 127}, {0x80, 60, 0}};
  for (int i = 0; i < 11; ++i) ExpectEvent(events[i], i * 10 / 960.0, expected[i][0], expected[i][1], expected[i][2]);
}

TEST(MidiFile, OneChannelIsKeptAndPlaysAsChannelOne) {
  // Running status inherited from a channel 2 message belongs to channel 2.
  Track track;
  track.At(0, {0x91, 60, 100})
      .At(0, {61, 100})
      .At(0, {0x90, 62, 100})
      .At(0, {0x9F, 63, 100})
      .At(0, {0xC3, 9})
      .At(0, {0xE1, 0, 0})
      .At(480, {0xD0, 40})
      .At(0, {0xB5, 1, 2})
      .End();
  const Bytes file = File(0, kTpq, {track});
  const struct {
    int channel;
    std::vector<TimedMidiEvent> expected;
  } cases[] = {
      {0, {{0.0, 0x90, 62, 100}, {0.5, 0xD0, 40, 0}}},
      {1, {{0.0, 0x90, 60, 100}, {0.0, 0x90, 61, 100}, {0.0, 0xE0, 0, 0}}},
      {15, {{0.0, 0x90, 63, 100}}},
      {5, {{0.5, 0xB0, 1, 2}}},
      {7, {}},
  };
  for (const auto& c : cases) {
    std::vector<TimedMidiEvent> events;
    std::string error;
    ASSERT_TRUE(ParseMidiBytes(file.data(), file.size(), events, error, c.channel)) << error;
    ASSERT_EQ(c.expected.size(), events.size()) << c.channel;
    for (size_t i = 0; i < events.size(); ++i) {
      SCOPED_TRACE(c.channel);
      ExpectEvent(events[i], c.expected[i].seconds, c.expected[i].status, c.expected[i].data1, c.expected[i].data2);
    }
  }
  std::vector<TimedMidiEvent> events;
  std::string error;
  EXPECT_FALSE(ParseMidiBytes(file.data(), file.size(), events, error, 16));
}

TEST(MidiFile, LengthIsTheLatestTrackEnd) {
  // Track 1 ends with its end-of-track event at 3 beats, after its last note; track 2 has no
  // end-of-track event and stops after a sysex at 2 beats; a tempo change halves beat 3.
  Track first, second;
  first.At(0, {0x90, 60, 100}).Tempo(960, 250000).At(480, {0x80, 60, 0}).At(480, {0xFF, 0x2F, 0x00});
  second.At(960, {0xF0, 0x01, 0xF7});
  double length = -1.0;
  std::vector<TimedMidiEvent> events;
  std::string error;
  const Bytes file = File(1, kTpq, {first, second});
  ASSERT_TRUE(ParseMidiBytes(file.data(), file.size(), events, error, 0, &length)) << error;
  EXPECT_DOUBLE_EQ(1.0 + 0.25 + 0.25, length);
  const Bytes shorter = File(1, kTpq, {second});
  ASSERT_TRUE(ParseMidiBytes(shorter.data(), shorter.size(), events, error, 0, &length)) << error;
  EXPECT_DOUBLE_EQ(1.0, length);
}

TEST(MidiFile, SysexMetaAndUnknownChunksAreSkippedButTheirDeltasCount) {
  Track track;
  track.At(0, {0xF0, 0x03, 0x43, 0x12, 0xF7})          // sysex
      .At(120, {0xF7, 0x02, 0xF3, 0x01})               // escaped bytes, including a status value
      .At(120, {0xFF, 0x03, 0x04, 'W', 'i', 'n', 'd'})  // track name
      .At(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8})          // time signature
      .At(240, {0x90, 60, 100})
      .At(0, {0xFF, 0x01, 0x81, 0x00});                // 128-byte text: two-byte length
  for (int i = 0; i < 128; ++i) track.Raw({0x90});
  track.At(480, {0x80, 60, 0}).End().Raw({0x00, 0x90, 61, 100});  // after end of track: ignored
  Bytes extendedHeader = Chunk("MThd", {0, 0, 0, 1, 0x01, 0xE0, 0xAA, 0xBB});
  Bytes file = extendedHeader;
  Append(file, Chunk("XFIH", {1, 2, 3}));
  Append(file, track.Chunk());
  Append(file, Chunk("Junk", {}));  // trailing data is ignored
  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(file, events, error)) << error;
  ASSERT_EQ(2u, events.size());
  ExpectEvent(events[0], 0.5, 0x90, 60, 100);
  ExpectEvent(events[1], 1.0, 0x80, 60, 0);

  // Unknown chunks between tracks of a format 1 file do not count as tracks.
  Track second;
  second.At(960, {0x90, 70, 1}).End();
  file = Header(1, 2, kTpq);
  Append(file, track.Chunk());
  Append(file, Chunk("Info", {9, 9}));
  Append(file, second.Chunk());
  ASSERT_TRUE(Parse(file, events, error)) << error;
  ASSERT_EQ(3u, events.size());
  EXPECT_EQ(70, events[2].data1);
  EXPECT_DOUBLE_EQ(1.0, events[2].seconds);

  // A track without an end-of-track event ends with its chunk.
  Track open;
  open.At(480, {0x90, 60, 100});
  ASSERT_TRUE(Parse(File(0, kTpq, {open}), events, error)) << error;
  ASSERT_EQ(1u, events.size());
  EXPECT_DOUBLE_EQ(0.5, events[0].seconds);
}

TEST(MidiFile, SmpteDivisionCountsTicksPerSecond) {
  // -25 fps x 40 ticks per frame = 1000 ticks per second; tempo events do not apply.
  Track track;
  track.Tempo(0, 1000000).At(500, {0x90, 60, 1}).At(1500, {0x80, 60, 0}).End();
  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(File(0, 0xE728, {track}), events, error)) << error;
  ASSERT_EQ(2u, events.size());
  EXPECT_DOUBLE_EQ(0.5, events[0].seconds);
  EXPECT_DOUBLE_EQ(2.0, events[1].seconds);

  // 29 denotes 30 drop-frame (29.97 fps): 100 ticks per frame, 30000 ticks last 10.01 s.
  Track drop;
  drop.At(30000, {0x90, 60, 1}).End();
  ASSERT_TRUE(Parse(File(0, 0xE364, {drop}), events, error)) << error;
  ASSERT_EQ(1u, events.size());
  EXPECT_NEAR(10.01, events[0].seconds, 1e-12);

  EXPECT_NE(std::string::npos, ErrorOf(File(0, 0xE928, {track})).find("frame rate"));  // -23 fps
  EXPECT_FALSE(ErrorOf(File(0, 0xE700, {track})).empty());                           // 0 ticks per frame
}

TEST(MidiFile, MalformedHeadersAreRejected) {
  Track track;
  track.At(0, {0x90, 60, 100}).End();
  const Bytes good = File(0, kTpq, {track});

  EXPECT_NE(std::string::npos, ErrorOf({}).find("not a MIDI file"));
  EXPECT_NE(std::string::npos, ErrorOf(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0}).find("not a MIDI file"));
  EXPECT_NE(std::string::npos, ErrorOf(Bytes(good.begin(), good.begin() + 7)).find("not a MIDI file"));
  EXPECT_NE(std::string::npos, ErrorOf(Bytes(good.begin(), good.begin() + 13)).find("truncated"));
  Bytes shortHeader = Chunk("MThd", {0, 0, 0, 1, 1});
  Append(shortHeader, track.Chunk());
  EXPECT_NE(std::string::npos, ErrorOf(shortHeader).find("header length"));

  Bytes format2 = Header(2, 1, kTpq);
  Append(format2, track.Chunk());
  EXPECT_NE(std::string::npos, ErrorOf(format2).find("format 2"));
  Bytes format3 = Header(3, 1, kTpq);
  Append(format3, track.Chunk());
  EXPECT_NE(std::string::npos, ErrorOf(format3).find("format 3"));
  EXPECT_NE(std::string::npos, ErrorOf(Header(1, 0, kTpq)).find("no tracks"));
  EXPECT_NE(std::string::npos, ErrorOf(File(0, kTpq, {track, track})).find("format 0"));
  EXPECT_NE(std::string::npos, ErrorOf(File(0, 0, {track})).find("division"));
}

TEST(MidiFile, MalformedTracksAreRejectedWithTheTrackNumber) {
  Track good;
  good.At(0, {0x90, 60, 100}).End();
  const auto twoTracks = [&good](std::initializer_list<uint8_t> second) {
    return File(1, kTpq, {good, Track().Raw(second)});
  };
  struct Case {
    const char* what;
    Bytes file;
    const char* message;
  };
  Bytes longChunk = File(1, kTpq, {good, good});
  longChunk[longChunk.size() - 12] = 0x7F;  // second track's length far beyond the file
  Bytes longUnknown = File(1, kTpq, {good});
  Append(longUnknown, Bytes{'A', 'B', 'C', 'D', 0, 0, 1, 0, 1, 2});
  Append(longUnknown, good.Chunk());
  longUnknown[11] = 2;  // two tracks declared; the unknown chunk claims 256 bytes
  Bytes missing = File(1, kTpq, {good});
  missing[11] = 2;
  Bytes cutHeader = File(1, kTpq, {good, good});
  cutHeader.resize(cutHeader.size() - good.Chunk().size() + 5);

  const Case cases[] = {
      {"chunk length beyond file", longChunk, "truncated track 2"},
      {"unknown chunk beyond file", longUnknown, "truncated chunk 'ABCD'"},
      {"missing track", missing, "missing track 2"},
      {"cut chunk header", cutHeader, "truncated track 2"},
      {"message cut inside chunk", twoTracks({0x00, 0x90, 60}), "truncated track 2"},
      {"delta at chunk end", twoTracks({0x00, 0x90, 60, 1, 0x81}), "truncated track 2"},
      {"delta without event", twoTracks({0x00, 0x90, 60, 1, 0x10}), "truncated track 2"},
      {"five-byte delta", twoTracks({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 1}), "longer than 4 bytes"},
      {"running status at start", twoTracks({0x00, 60, 100}), "without a preceding status"},
      {"running status after sysex", twoTracks({0x00, 0x90, 60, 1, 0x00, 0xF0, 0x01, 0xF7, 0x00, 61, 1}),
       "without a preceding status"},
      {"running status after meta", twoTracks({0x00, 0x90, 60, 1, 0x00, 0xFF, 0x01, 0x00, 0x00, 61, 1}),
       "without a preceding status"},
      {"status where data expected", twoTracks({0x00, 0x90, 60, 0x80}), "non-data byte 0x80"},
      {"status as one data byte", twoTracks({0x00, 0xC0, 0xFF}), "non-data byte 0xFF"},
      {"sysex beyond chunk", twoTracks({0x00, 0xF0, 0x05, 1, 2}), "truncated track 2"},
      {"sysex length cut", twoTracks({0x00, 0xF0, 0x85}), "truncated track 2"},
      {"meta beyond chunk", twoTracks({0x00, 0xFF, 0x01, 0x04, 'a'}), "truncated track 2"},
      {"meta type missing", twoTracks({0x00, 0xFF}), "truncated track 2"},
      {"short tempo", twoTracks({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}), "tempo"},
      {"zero tempo", twoTracks({0x00, 0xFF, 0x51, 0x03, 0, 0, 0}), "tempo"},
      {"system common status", twoTracks({0x00, 0xF3, 0x01}), "0xF3"},
      {"real-time status", twoTracks({0x00, 0xF8}), "0xF8"},
  };
  for (const Case& c : cases) {
    const std::string error = ErrorOf(c.file);
    EXPECT_NE(std::string::npos, error.find(c.message)) << c.what << ": got '" << error << "'";
  }
}

TEST(MidiFile, SizeLimitIsEnforced) {
  Track track;
  track.At(480, {0x90, 60, 100}).End();
  Bytes file = File(0, kTpq, {track});
  file.resize(kMaxMidiFileBytes, 0);  // trailing padding is allowed up to the limit
  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(file, events, error)) << error;
  EXPECT_EQ(1u, events.size());
  file.push_back(0);
  EXPECT_NE(std::string::npos, ErrorOf(file).find("larger than"));
}

TEST(MidiFile, ReadsFromPath) {
  const std::string path = TestTempPath("midi-file-test.mid");
  Track track;
  track.At(960, {0x90, 60, 100}).End();
  const Bytes file = File(0, kTpq, {track});
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    ASSERT_TRUE(out.good());
  }
  std::vector<TimedMidiEvent> events;
  std::string error;
  EXPECT_TRUE(ReadMidiFile(path, events, error)) << error;
  ASSERT_EQ(1u, events.size());
  ExpectEvent(events[0], 1.0, 0x90, 60, 100);

  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), 20);
  }
  EXPECT_FALSE(ReadMidiFile(path, events, error));
  EXPECT_TRUE(events.empty());
  EXPECT_NE(std::string::npos, error.find(path)) << error;
  EXPECT_NE(std::string::npos, error.find("truncated track 1")) << error;
  std::remove(path.c_str());

  EXPECT_FALSE(ReadMidiFile(path + ".absent", events, error));
  EXPECT_NE(std::string::npos, error.find("cannot open")) << error;
  // A folder (and so a FIFO or a device) is refused before any read.
  EXPECT_FALSE(ReadMidiFile(std::string(std::getenv("SYLVANE_TEST_TMP") ? std::getenv("SYLVANE_TEST_TMP") : "."),
                            events, error));
  EXPECT_NE(std::string::npos, error.find("not a regular file")) << error;
}

// Every successful parse must produce well-formed output.
void ExpectWellFormed(const std::vector<TimedMidiEvent>& events, const std::string& context) {
  for (size_t i = 0; i < events.size(); ++i) {
    const TimedMidiEvent& e = events[i];
    ASSERT_TRUE(std::isfinite(e.seconds) && e.seconds >= 0.0) << context;
    ASSERT_TRUE(e.status >= 0x80 && e.status < 0xF0 && (e.status & 0x0F) == 0) << context;
    ASSERT_TRUE(e.data1 < 0x80 && e.data2 < 0x80) << context;
    if (i > 0) {
      ASSERT_LE(events[i - 1].seconds, e.seconds) << context;
    }
  }
}

TEST(MidiFile, SurvivesTruncationAndMutationAnywhere) {
  Track conductor;
  conductor.Tempo(0, 600000).At(0, {0xFF, 0x03, 0x02, 'T', '0'}).Tempo(700, 300000).End();
  Track notes;
  notes.At(0, {0xF0, 0x04, 0x7E, 0x7F, 0x09, 0xF7})
      .At(0, {0x90, 60, 100})
      .At(200, {62, 90})
      .At(0, {0xC0, 3})
      .At(130, {0xE0, 0x10, 0x40})
      .At(16400, {0x80, 60, 0})
      .At(0, {0x91, 1, 2})
      .At(1, {0xD0, 5})
      .End();
  Track extra;
  extra.At(100, {0xB0, 1, 64}).At(0, {0xF7, 0x01, 0x00}).At(900, {0x90, 64, 1}).End();
  const Bytes file = File(1, kTpq, {conductor, notes, extra});

  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(Parse(file, events, error)) << error;
  ExpectWellFormed(events, "original");
  ASSERT_EQ(8u, events.size());

  // No proper prefix is a complete file: every one must fail with a message.
  for (size_t length = 0; length < file.size(); ++length) {
    const Bytes prefix(file.begin(), file.begin() + length);
    EXPECT_FALSE(Parse(prefix, events, error)) << "prefix of " << length << " bytes";
    EXPECT_FALSE(error.empty()) << "prefix of " << length << " bytes";
  }

  // Single-byte mutations at every position, then random multi-byte ones (fixed seed).
  const uint8_t replacements[] = {0x00, 0x01, 0x7F, 0x80, 0x81, 0xC0, 0xF0, 0xF7, 0xFF};
  for (size_t pos = 0; pos < file.size(); ++pos) {
    for (uint8_t value : replacements) {
      Bytes mutated = file;
      mutated[pos] = value;
      error.clear();
      if (Parse(mutated, events, error)) {
        ExpectWellFormed(events, "byte " + std::to_string(pos) + " = " + std::to_string(value));
      } else {
        EXPECT_FALSE(error.empty());
      }
    }
  }
  uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 20000; ++round) {
    Bytes mutated = file;
    const int edits = 1 + static_cast<int>(next() % 4);
    for (int i = 0; i < edits; ++i) mutated[next() % mutated.size()] = static_cast<uint8_t>(next());
    mutated.resize(mutated.size() - next() % 8);
    if (Parse(mutated, events, error)) {
      ExpectWellFormed(events, "round " + std::to_string(round));
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
}

}  // namespace
