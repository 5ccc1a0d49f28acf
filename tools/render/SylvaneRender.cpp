// sylvane-render: plays the instrument from MIDI, the way a host does, into an audio file.
#include "engine/KernelParams.h"
#include "gui/IFileSelectorControl.h"
#include "instrument/PresetLibrary.h"
#include "tools/render/PresetChoice.h"
#include "instrument/Sylvane.h"
#include "tools/render/AudioFileWriter.h"
#include "tools/render/MidiFile.h"
#include "tools/render/RenderOptions.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<bool> gInterrupted{false};
extern "C" void OnInterrupt(int) { gInterrupted = true; }

struct ScheduledMessage {
  long long sample;
  MidiMessage message;  // offset filled in per block
};

long long ToSample(double seconds, double rate) { return static_cast<long long>(std::floor(seconds * rate)); }

ScheduledMessage Make(long long sample, int status, int data1, int data2) {
  MidiMessage m;
  m.offset = 0;
  m.status = static_cast<uint8_t>(status);
  m.data1 = static_cast<uint8_t>(data1);
  m.data2 = static_cast<uint8_t>(data2);
  return {sample, m};
}

// Every message of the render in time order; messages at the same sample keep the order given.
bool Schedule(const RenderOptions& options, std::vector<ScheduledMessage>& schedule, std::string& error) {
  const double rate = options.sampleRate;
  if (options.HoldsDefaultNote()) schedule.push_back(Make(0, 0x90, 60, 100));
  for (const NoteSpan& note : options.notes) {
    schedule.push_back(Make(ToSample(note.onSeconds, rate), 0x90, note.key, note.velocity));
    if (note.hasOff) schedule.push_back(Make(ToSample(note.offSeconds, rate), 0x80, note.key, 0));
  }
  for (const TimedMessage& m : options.messages)
    schedule.push_back(Make(m.atSample ? m.sample : ToSample(m.seconds, rate), m.status, m.data1, m.data2));
  for (const std::string& file : options.midiFiles) {
    std::vector<TimedMidiEvent> events;
    if (!ReadMidiFile(file, events, error)) {
      error = file + ": " + error;
      return false;
    }
    for (const TimedMidiEvent& e : events)
      schedule.push_back(Make(ToSample(e.seconds, rate), e.status, e.data1, e.data2));
  }
  std::stable_sort(schedule.begin(), schedule.end(),
                   [](const ScheduledMessage& a, const ScheduledMessage& b) { return a.sample < b.sample; });
  return true;
}

int Fail(const std::string& error, int status) {
  std::fprintf(stderr, "sylvane-render: %s\n", error.c_str());
  return status;
}

int Run(const RenderOptions& options) {
  std::string error;
  std::vector<ScheduledMessage> schedule;
  if (!Schedule(options, schedule, error)) return Fail(error, 2);

  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  plug->SetHostTempo(options.tempo);
  plug->Activate(options.sampleRate, options.blockSize);
  if (!options.preset.empty() && !LoadPresetChoice(*plug, options.preset, error)) return Fail(error, 2);
  for (const ParamSetting& setting : options.params) plug->SetParamPlain(setting.index, setting.value);
  if (!options.savePreset.empty() && !plug->SavePresetFile(options.savePreset))
    return Fail("cannot write preset file '" + options.savePreset + "'", 2);
  if (options.output.empty()) return 0;

  AudioFileWriter writer;
  if (!writer.Open(options.output, static_cast<int>(std::lround(options.sampleRate)), options.format, error))
    return Fail(error, 2);

  const long long totalFrames = std::llround(options.seconds * options.sampleRate);
  const int block = options.blockSize;
  std::vector<double> out1(block), out2(block), interleaved(2 * block);
  double* outputs[2] = {out1.data(), out2.data()};

  const bool showProgress = !options.quiet && options.seconds > 3.0 && isatty(STDERR_FILENO);
  int lastPercent = -1;
  size_t next = 0;
  std::vector<MidiMessage> blockEvents;
  for (long long pos = 0; pos < totalFrames; pos += block) {
    if (gInterrupted) {
      if (showProgress) std::fprintf(stderr, "\n");
      return Fail("interrupted; no output written", 130);
    }
    const int n = static_cast<int>(std::min<long long>(block, totalFrames - pos));
    // Like a host: the block's messages first, each with its offset inside the block.
    blockEvents.clear();
    for (; next < schedule.size() && schedule[next].sample < pos + n; ++next) {
      MidiMessage message = schedule[next].message;
      message.offset = static_cast<int>(schedule[next].sample - pos);
      blockEvents.push_back(message);
    }
    plug->ProcessDouble(outputs, n, blockEvents.data(), static_cast<int>(blockEvents.size()));
    for (int i = 0; i < n; ++i) {
      interleaved[2 * i] = out1[i];
      interleaved[2 * i + 1] = out2[i];
    }
    if (!writer.Write(interleaved.data(), n, error)) return Fail(error, 1);
    if (showProgress) {
      const int percent = static_cast<int>(100 * (pos + n) / totalFrames);
      if (percent != lastPercent) std::fprintf(stderr, "\rrendering %3d%%", lastPercent = percent);
    }
  }
  if (showProgress) std::fprintf(stderr, "\n");
  if (!writer.Commit(error)) return Fail(error, 1);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "sylvane-render: %s\n%s", error.c_str(), RenderUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(RenderUsage(), stdout);
    return 0;
  }
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  return Run(options);
}
