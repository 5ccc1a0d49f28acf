#include "tools/render/MidiFile.h"

#include "instrument/RegularFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 BPM)

uint32_t ReadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint16_t ReadBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof(text), "0x%02X", value & 0xFFu);
  return text;
}

// Chunk ids come from untrusted data: show non-printable bytes as '?'.
std::string ChunkName(const uint8_t* id) {
  std::string name;
  for (int i = 0; i < 4; ++i) name += (id[i] >= 0x20 && id[i] < 0x7F) ? static_cast<char>(id[i]) : '?';
  return name;
}

struct TrackSpan {
  size_t begin;
  size_t end;
  int number;  // 1-based, for messages
};

struct TempoChange {
  uint64_t tick;
  uint32_t usPerQuarter;
};

// A stretch of constant tempo starting at `tick`, which falls at `seconds`.
struct TempoSegment {
  uint64_t tick;
  double seconds;
  uint32_t usPerQuarter;
};

class TrackWalker {
 public:
  TrackWalker(const uint8_t* data, const TrackSpan& track, std::string& error)
      : mData(data), mTrack(track), mPos(track.begin), mError(error) {}

  // Calls onTempo(tick, usPerQuarter) and onChannel(tick, status, data1, data2) in file order.
  // Stops at the end-of-track meta event or at the end of the chunk (a missing end-of-track
  // event is tolerated); EndTick() is then the tick where it stopped. False with a message on
  // malformed data.
  template <typename OnTempo, typename OnChannel>
  bool Walk(OnTempo onTempo, OnChannel onChannel) {
    uint64_t& tick = mEndTick;  // < 2^28 per delta and < 2^26 events per file: cannot overflow
    tick = 0;
    uint8_t runningStatus = 0;
    while (mPos < mTrack.end) {
      uint32_t delta = 0;
      if (!ReadVlq(delta)) return false;
      tick += delta;
      if (mPos >= mTrack.end) return Truncated();
      uint8_t status = mData[mPos];
      if (status < 0x80) {
        if (runningStatus == 0) return Fail("data byte " + Hex(status) + " without a preceding status byte");
        status = runningStatus;
      } else {
        ++mPos;
      }

      if (status < 0xF0) {
        runningStatus = status;
        const size_t dataBytes = ((status & 0xE0) == 0xC0) ? 1 : 2;  // 0xC0 and 0xD0 carry one
        if (mTrack.end - mPos < dataBytes) return Truncated();
        uint8_t data[2] = {0, 0};
        for (size_t i = 0; i < dataBytes; ++i) {
          data[i] = mData[mPos];
          if (data[i] >= 0x80) return Fail("status " + Hex(status) + " followed by non-data byte " + Hex(data[i]));
          ++mPos;
        }
        onChannel(tick, status, data[0], data[1]);
      } else if (status == 0xF0 || status == 0xF7) {
        runningStatus = 0;
        uint32_t length = 0;
        if (!ReadVlq(length) || !Skip(length)) return false;
      } else if (status == 0xFF) {
        runningStatus = 0;
        if (mPos >= mTrack.end) return Truncated();
        const uint8_t type = mData[mPos++];
        uint32_t length = 0;
        if (!ReadVlq(length)) return false;
        if (mTrack.end - mPos < length) return Truncated();
        if (type == 0x2F) return true;
        if (type == 0x51) {
          if (length != 3) return Fail("tempo event of length " + std::to_string(length) + " (must be 3)");
          const uint8_t* p = mData + mPos;
          const uint32_t usPerQuarter = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
          if (usPerQuarter == 0) return Fail("tempo of 0 microseconds per quarter note");
          onTempo(tick, usPerQuarter);
        }
        mPos += length;
      } else {
        return Fail("status byte " + Hex(status) + " is not allowed in a MIDI file");
      }
    }
    return true;
  }

  uint64_t EndTick() const { return mEndTick; }

 private:
  // At most 4 bytes, i.e. values below 2^28.
  bool ReadVlq(uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      if (mPos >= mTrack.end) return Truncated();
      const uint8_t byte = mData[mPos++];
      value = (value << 7) | (byte & 0x7Fu);
      if ((byte & 0x80) == 0) return true;
    }
    return Fail("variable-length quantity longer than 4 bytes");
  }

  bool Skip(uint32_t length) {
    if (mTrack.end - mPos < length) return Truncated();
    mPos += length;
    return true;
  }

  bool Truncated() {
    mError = "truncated track " + std::to_string(mTrack.number);
    return false;
  }

  bool Fail(const std::string& what) {
    mError = "track " + std::to_string(mTrack.number) + ": " + what + " (byte offset " + std::to_string(mPos) + ")";
    return false;
  }

  const uint8_t* mData;
  TrackSpan mTrack;
  size_t mPos;
  std::string& mError;
  uint64_t mEndTick = 0;
};

// Product before division keeps whole-beat results exact (480 ticks at 480/quarter, 120 BPM = 0.5 s).
double SpanSeconds(uint64_t ticks, uint32_t usPerQuarter, uint32_t ticksPerQuarter) {
  return static_cast<double>(ticks) * usPerQuarter / (1.0e6 * ticksPerQuarter);
}

// Converts ticks to seconds for either kind of division.
class TickClock {
 public:
  // Metrical: `segments` start at tick 0 with ascending ticks.
  TickClock(uint32_t ticksPerQuarter, std::vector<TempoSegment> segments)
      : mTicksPerQuarter(ticksPerQuarter), mSegments(std::move(segments)) {}
  // SMPTE: ticks per second = frames * ticksPerFrame; 29 frames means 30 drop-frame (30000/1001).
  static TickClock Smpte(int framesPerSecond, uint32_t ticksPerFrame) {
    TickClock clock(0, {});
    clock.mSmpteTicksPerSecond = framesPerSecond == 29 ? 30000.0 / 1001.0 * ticksPerFrame
                                                       : static_cast<double>(framesPerSecond) * ticksPerFrame;
    return clock;
  }

  // Restarts the segment lookup; between calls ticks passed to Seconds() must not decrease.
  void Rewind() { mSegment = 0; }

  double Seconds(uint64_t tick) {
    if (mSmpteTicksPerSecond > 0.0) return static_cast<double>(tick) / mSmpteTicksPerSecond;
    while (mSegment + 1 < mSegments.size() && mSegments[mSegment + 1].tick <= tick) ++mSegment;
    const TempoSegment& s = mSegments[mSegment];
    return s.seconds + SpanSeconds(tick - s.tick, s.usPerQuarter, mTicksPerQuarter);
  }

 private:
  double mSmpteTicksPerSecond = 0.0;
  uint32_t mTicksPerQuarter;
  std::vector<TempoSegment> mSegments;
  size_t mSegment = 0;
};

bool Parse(const uint8_t* data, size_t size, int channel, std::vector<TimedMidiEvent>& events, double& length,
           std::string& error) {
  if (size > kMaxMidiFileBytes) {
    error = "MIDI file larger than " + std::to_string(kMaxMidiFileBytes / (1024 * 1024)) + " MiB";
    return false;
  }
  if (data == nullptr || size < 8 || std::memcmp(data, "MThd", 4) != 0) {
    error = "not a MIDI file (no MThd header)";
    return false;
  }
  const uint32_t headerLength = ReadBe32(data + 4);
  if (headerLength < 6) {
    error = "bad MIDI header length " + std::to_string(headerLength);
    return false;
  }
  if (headerLength > size - 8) {
    error = "truncated MIDI header";
    return false;
  }
  const uint16_t format = ReadBe16(data + 8);
  const uint16_t trackCount = ReadBe16(data + 10);
  const uint16_t division = ReadBe16(data + 12);
  if (format == 2) {
    error = "MIDI file format 2 (independent sequences) is not supported";
    return false;
  }
  if (format > 2) {
    error = "unknown MIDI file format " + std::to_string(format);
    return false;
  }
  if (trackCount == 0) {
    error = "MIDI file declares no tracks";
    return false;
  }
  if (format == 0 && trackCount != 1) {
    error = "format 0 MIDI file declares " + std::to_string(trackCount) + " tracks (must be 1)";
    return false;
  }
  const bool smpte = (division & 0x8000) != 0;
  const int framesPerSecond = -static_cast<int>(static_cast<int8_t>(division >> 8));
  const uint32_t ticks = smpte ? (division & 0xFFu) : division;
  if (smpte && framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30) {
    error = "unsupported SMPTE frame rate " + std::to_string(framesPerSecond) + " in MIDI header";
    return false;
  }
  if (ticks == 0) {
    error = "MIDI header division of 0 ticks";
    return false;
  }

  // Locate the track chunks; other chunk types are skipped, bytes after the last track ignored.
  std::vector<TrackSpan> tracks;
  size_t pos = 8 + size_t{headerLength};
  while (tracks.size() < trackCount) {
    const int number = static_cast<int>(tracks.size()) + 1;
    if (size - pos < 8) {
      error = pos == size ? "missing track " + std::to_string(number) + " of " + std::to_string(trackCount)
                          : "truncated track " + std::to_string(number);
      return false;
    }
    const bool isTrack = std::memcmp(data + pos, "MTrk", 4) == 0;
    const uint32_t length = ReadBe32(data + pos + 4);
    if (length > size - pos - 8) {
      error = isTrack ? "truncated track " + std::to_string(number)
                      : "truncated chunk '" + ChunkName(data + pos) + "'";
      return false;
    }
    if (isTrack) tracks.push_back({pos + 8, pos + 8 + length, number});
    pos += 8 + size_t{length};
  }

  // Tempo changes in any track apply to all, so collect them all before timing any event.
  std::vector<TempoChange> tempos;
  const auto ignoreChannel = [](uint64_t, uint8_t, uint8_t, uint8_t) {};
  for (const TrackSpan& track : tracks) {
    const auto onTempo = [&tempos](uint64_t tick, uint32_t usPerQuarter) { tempos.push_back({tick, usPerQuarter}); };
    if (!TrackWalker(data, track, error).Walk(onTempo, ignoreChannel)) return false;
  }
  // Stable: of several changes at one tick the last in track-then-file order wins.
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });

  std::vector<TempoSegment> segments{{0, 0.0, kDefaultTempo}};
  for (const TempoChange& change : tempos) {
    TempoSegment& last = segments.back();
    if (change.tick == last.tick) {
      last.usPerQuarter = change.usPerQuarter;
    } else {
      const double seconds = last.seconds + SpanSeconds(change.tick - last.tick, last.usPerQuarter, ticks);
      segments.push_back({change.tick, seconds, change.usPerQuarter});
    }
  }
  TickClock clock = smpte ? TickClock::Smpte(framesPerSecond, ticks) : TickClock(ticks, std::move(segments));

  const auto ignoreTempo = [](uint64_t, uint32_t) {};
  for (const TrackSpan& track : tracks) {
    clock.Rewind();
    const auto onChannel = [&](uint64_t tick, uint8_t status, uint8_t data1, uint8_t data2) {
      if ((status & 0x0F) == channel)
        events.push_back({clock.Seconds(tick), static_cast<uint8_t>(status & 0xF0), data1, data2});
    };
    TrackWalker walker(data, track, error);
    if (!walker.Walk(ignoreTempo, onChannel)) return false;
    length = std::max(length, clock.Seconds(walker.EndTick()));
  }

  // Each track's run is already in time order (seconds never decrease with ticks), and the runs
  // were appended in track order, so a stable sort gives track-then-file order at equal times.
  std::stable_sort(events.begin(), events.end(),
                   [](const TimedMidiEvent& a, const TimedMidiEvent& b) { return a.seconds < b.seconds; });
  return true;
}

}  // namespace

bool ParseMidiBytes(const uint8_t* data, size_t size, std::vector<TimedMidiEvent>& events, std::string& error,
                    int channel, double* lengthSeconds) {
  events.clear();
  double length = 0.0;
  if (channel < 0 || channel > 15) {
    error = "MIDI channel " + std::to_string(channel + 1) + " (must be 1 to 16)";
    return false;
  }
  if (Parse(data, size, channel, events, length, error)) {
    if (lengthSeconds) *lengthSeconds = length;
    return true;
  }
  events.clear();
  return false;
}

bool ReadMidiFile(const std::string& path, std::vector<TimedMidiEvent>& events, std::string& error, int channel,
                  double* lengthSeconds) {
  events.clear();
  std::string bytes;
  switch (ReadRegularFile(path, kMaxMidiFileBytes, bytes)) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::CannotOpen:
      error = "cannot open MIDI file '" + path + "'";
      return false;
    case FileReadStatus::NotRegular:
      error = "'" + path + "' is not a regular file";
      return false;
    case FileReadStatus::TooLarge:
      error = "'" + path + "': MIDI file larger than " + std::to_string(kMaxMidiFileBytes / (1024 * 1024)) + " MiB";
      return false;
  }
  if (ParseMidiBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), events, error, channel,
                     lengthSeconds))
    return true;
  error = "'" + path + "': " + error;
  return false;
}
