// Command-line options of sylvane-render, parsed into a plain record so that they can be
// tested without running a render. Parsing never exits: it reports the first problem as text.
#pragma once

#include <string>
#include <vector>

enum class SampleFormat { Pcm16, Pcm24, Float, Double };

// A note held from `onSeconds` to `offSeconds` (or to the end of the render when !hasOff).
struct NoteSpan {
  double onSeconds = 0.0;
  double offSeconds = 0.0;
  bool hasOff = false;
  int key = 60;
  int velocity = 100;
};

// A short MIDI message at a time in seconds, or at an absolute sample position when atSample.
struct TimedMessage {
  bool atSample = false;
  double seconds = 0.0;
  long long sample = 0;
  unsigned char status = 0, data1 = 0, data2 = 0;
};

// A plain parameter value given by name on the command line.
struct ParamSetting {
  int index = -1;
  double value = 0.0;
};

struct RenderOptions {
  double sampleRate = 48000.0;
  int blockSize = 512;
  double seconds = 10.0;
  bool secondsGiven = false;             // without -d, MIDI files set the length
  std::vector<NoteSpan> notes;
  std::vector<TimedMessage> messages;    // from -c and -e, in the order given
  std::vector<std::string> midiFiles;    // messages of `midiChannel` in these files are played too
  int midiChannel = 1;                   // 1..16; its messages play as channel 1
  std::vector<ParamSetting> params;
  double tempo = 120.0;                  // what the instrument reads as the host tempo
  std::string preset;                    // file, catalogue index or catalogue menu text
  std::string savePreset;                // written after every option has been applied
  SampleFormat format = SampleFormat::Pcm24;
  bool quiet = false;
  bool help = false;
  bool listPresets = false;
  bool listParams = false;
  std::string output;

  // With no note, raw event or MIDI file given, one note is held for the whole render.
  bool HoldsDefaultNote() const { return notes.empty() && midiFiles.empty() && !HasRawEvents(); }
  bool HasRawEvents() const {
    for (const TimedMessage& m : messages)
      if (m.atSample) return true;
    return false;
  }
};

// Parses argv[1..argc). Returns false with a message in `error` on malformed input
// (unknown option, missing or bad value, unknown parameter name, no output file).
// The output file may be left out only with --help, --list-presets, --list-params or --save-preset.
// The sample rate must be a whole number of Hz (audio files store it as an integer).
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

// Reads a whole decimal number; false when text is empty, has trailing characters or is not finite.
bool ParseNumber(const std::string& text, double& value);

const char* RenderUsage();
