// Standard MIDI File reader for sylvane-render. Extracts the voice messages of one channel of a
// format 0 or format 1 file as channel-1 events in absolute seconds. Input is untrusted: every length
// is checked against the buffer, and malformed data yields an error message, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TimedMidiEvent {
  double seconds = 0.0;
  uint8_t status = 0;  // 0x80..0xE0: the chosen channel's messages as channel 1 (low nibble 0)
  uint8_t data1 = 0;
  uint8_t data2 = 0;  // 0 for the one-data-byte messages (0xC0 program change, 0xD0 channel pressure)
};

// Files larger than this are rejected rather than read into memory.
constexpr size_t kMaxMidiFileBytes = size_t{64} * 1024 * 1024;

// Returns the voice messages of `channel` (0 to 15, 0 being MIDI channel 1) of all tracks merged in
// time order, re-addressed to channel 1. `lengthSeconds`, when given, receives the time of the
// latest end of a track (its end-of-track event, else its last event of any kind). Events at equal
// times keep track order, then file order. Messages are passed through unchanged (a note-on
// with velocity 0 stays a note-on). Tempo changes (meta 0x51) in any track apply to all tracks
// from their tick; the tempo before the first change is 120 BPM. SMPTE divisions are honoured
// as frames x ticks-per-frame per second (29 meaning 29.97 drop-frame) and ignore tempo.
// Sysex and meta events cancel running status, as the file format requires. Tracks are numbered
// from 1 in messages. On failure returns false, clears `events` and describes the first problem
// in `error`.
bool ParseMidiBytes(const uint8_t* data, size_t size, std::vector<TimedMidiEvent>& events, std::string& error,
                    int channel = 0, double* lengthSeconds = nullptr);

// Reads the whole file (a regular file of at most kMaxMidiFileBytes) and parses it as
// ParseMidiBytes does.
bool ReadMidiFile(const std::string& path, std::vector<TimedMidiEvent>& events, std::string& error,
                  int channel = 0, double* lengthSeconds = nullptr);
