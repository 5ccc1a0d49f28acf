// sylvane-render: plays the instrument from MIDI, the way a host does, into an audio file.
#include "engine/KernelParams.h"
#include "gui/IFileSelectorControl.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"
#include "instrument/RegularFile.h"
#include "instrument/Sylvane.h"
#include "tools/render/AudioFileWriter.h"
#include "tools/render/MidiFile.h"
#include "tools/render/PresetChoice.h"
#include "tools/render/RenderOptions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

std::atomic<int> gSignal{0};
extern "C" void OnSignal(int signal) { gSignal = signal; }

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

void Warn(const std::string& text) { std::fprintf(stderr, "sylvane-render: warning: %s\n", text.c_str()); }

int Fail(const std::string& error, int status) {
  std::fprintf(stderr, "sylvane-render: %s\n", error.c_str());
  return status;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// Every message of the render in time order; messages at the same sample keep the order given.
// `midiLength` receives the latest end of the MIDI files (0 without files).
bool Schedule(const RenderOptions& options, std::vector<ScheduledMessage>& schedule, double& midiLength,
              std::string& error) {
  const double rate = options.sampleRate;
  if (options.HoldsDefaultNote()) schedule.push_back(Make(0, 0x90, 60, 100));
  for (const NoteSpan& note : options.notes) {
    schedule.push_back(Make(ToSample(note.onSeconds, rate), 0x90, note.key, note.velocity));
    if (note.hasOff) schedule.push_back(Make(ToSample(note.offSeconds, rate), 0x80, note.key, 0));
  }
  for (const TimedMessage& m : options.messages)
    schedule.push_back(Make(m.atSample ? m.sample : ToSample(m.seconds, rate), m.status, m.data1, m.data2));
  midiLength = 0.0;
  for (const std::string& file : options.midiFiles) {
    std::vector<TimedMidiEvent> events;
    double length = 0.0;
    if (!ReadMidiFile(file, events, error, options.midiChannel - 1, &length)) return false;
    if (events.empty())
      Warn("'" + file + "' holds no messages on MIDI channel " + std::to_string(options.midiChannel) +
           ": it plays nothing (--channel N plays another channel)");
    midiLength = std::max(midiLength, length);
    for (const TimedMidiEvent& e : events)
      schedule.push_back(Make(ToSample(e.seconds, rate), e.status, e.data1, e.data2));
  }
  std::stable_sort(schedule.begin(), schedule.end(),
                   [](const ScheduledMessage& a, const ScheduledMessage& b) { return a.sample < b.sample; });
  return true;
}

// One file under two names (or two links) counts as the same: writing one would destroy the other.
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::error_code ea, eb;
  const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ea);
  const std::filesystem::path cb = std::filesystem::weakly_canonical(b, eb);
  return !ea && !eb && ca == cb;
}

// Refuses outputs that would overwrite an input, and preset targets that are not regular files.
bool CheckPaths(const RenderOptions& options, std::string& error) {
  if (!options.savePreset.empty() && GetPathKind(options.savePreset) == PathKind::Other) {
    error = "preset file '" + options.savePreset + "' exists and is not a regular file";
    return false;
  }
  std::vector<std::string> inputs = options.midiFiles;
  if (!options.preset.empty()) inputs.push_back(options.preset);
  for (const std::string& input : inputs) {
    if (!options.output.empty() && SameFile(options.output, input)) {
      error = "output '" + options.output + "' is the input file '" + input + "'";
      return false;
    }
    // Saving back to the preset just loaded is fine; over a MIDI file it is not.
    if (!options.savePreset.empty() && input != options.preset && SameFile(options.savePreset, input)) {
      error = "preset file '" + options.savePreset + "' is the input file '" + input + "'";
      return false;
    }
  }
  if (!options.output.empty() && !options.savePreset.empty() && SameFile(options.output, options.savePreset)) {
    error = "output '" + options.output + "' is also the preset file to save";
    return false;
  }
  return true;
}

// How long the sound lasts after the last key is released: the fade time (10 s x fade squared,
// as the kernel computes it), the longest soundfield delay (40 ms) and a margin for the filters.
double ReleaseSeconds(Sylvane& plug) {
  const double fade = std::min(std::max(plug.GetParam(kAmpFadeInOut)->Value(), 0.0), 1.0);
  return 10.0 * std::max(fade * fade, 0.0001) + 0.04 + 0.05;
}

void ListPresets() {
  std::printf("preset library: %s\n", PresetLibraryFolder().c_str());
  for (int i = 1; i <= kPresetLibraryLast; ++i) {
    const bool installed = GetPathKind(PresetLibraryPath(i)) == PathKind::Regular;
    std::printf("%4d  %-32s %s\n", i, PresetMenuText(i).c_str(), installed ? "installed" : "not installed");
  }
}

// The controller of each parameter is asked of the instrument itself (a controller's value 0 and
// then 127, and what changed), so the list can never drift from what the instrument does.
void ListParams() {
  auto instance = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  Sylvane& plug = *instance;
  plug.Activate(48000.0, 16);
  int controllerOf[kKernelParamCount];
  std::fill(std::begin(controllerOf), std::end(controllerOf), -1);
  double out1[1], out2[1];
  double* outputs[2] = {out1, out2};
  for (int controller = 0; controller < 128; ++controller) {
    double before[kKernelParamCount];
    MidiMessage message;
    message.offset = 0;
    message.status = 0xB0;
    message.data1 = static_cast<uint8_t>(controller);
    for (int value : {0, 127}) {
      for (int i = 0; i < kKernelParamCount; ++i) before[i] = plug.GetParam(i)->Value();
      message.data2 = static_cast<uint8_t>(value);
      plug.ProcessDouble(outputs, 1, &message, 1);
    }
    for (int i = 0; i < kKernelParamCount; ++i)
      if (plug.GetParam(i)->Value() != before[i] && controllerOf[i] < 0) controllerOf[i] = controller;
  }
  std::printf("%-26s %-22s %-10s %s\n", "parameter", "range", "default", "MIDI controller (channel 1)");
  for (int i = 0; i < kKernelParamCount; ++i) {
    const PlugParam* param = plug.GetParam(i);
    const std::string range = Number(param->Min()) + " to " + Number(param->Max());
    const std::string controller = controllerOf[i] >= 0 ? "CC " + std::to_string(controllerOf[i]) : "-";
    std::printf("%-26s %-22s %-10s %s\n", param->Name(), range.c_str(), Number(param->Default()).c_str(),
                controller.c_str());
  }
  std::printf("CC 64 is the sustain pedal, CC 123 all notes off.\n");
}

int Run(const RenderOptions& options) {
  if (options.listPresets || options.listParams) {
    if (options.listPresets) ListPresets();
    if (options.listParams) ListParams();
    return 0;
  }
  std::string error;
  if (!CheckPaths(options, error)) return Fail(error, 2);
  std::vector<ScheduledMessage> schedule;
  double midiLength = 0.0;
  if (!Schedule(options, schedule, midiLength, error)) return Fail(error, 2);

  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  plug->SetHostTempo(options.tempo);
  plug->Activate(options.sampleRate, options.blockSize);
  std::string presetPath, warning;
  if (!options.preset.empty() && !LoadPresetChoice(*plug, options.preset, presetPath, error, warning))
    return Fail(error, 2);
  if (!warning.empty()) Warn(warning);
  if (!options.output.empty() && !presetPath.empty() && SameFile(options.output, presetPath))
    return Fail("output '" + options.output + "' is the preset file '" + presetPath + "'", 2);
  for (const ParamSetting& setting : options.params) {
    const PlugParam* param = plug->GetParam(setting.index);
    const double clamped = std::min(std::max(setting.value, param->Min()), param->Max());
    if (clamped != setting.value)
      Warn(std::string(param->Name()) + "=" + Number(setting.value) + " is outside " + Number(param->Min()) + " to " +
           Number(param->Max()) + "; using " + Number(clamped));
    plug->SetParamPlain(setting.index, setting.value);
  }
  if (!options.savePreset.empty() && !plug->SavePresetFile(options.savePreset))
    return Fail("cannot write preset file '" + options.savePreset + "'", 2);
  if (options.output.empty()) return 0;

  const double seconds =
      options.secondsGiven || options.midiFiles.empty() ? options.seconds : midiLength + ReleaseSeconds(*plug);
  const long long totalFrames = std::llround(seconds * options.sampleRate);
  const long long late = std::count_if(schedule.begin(), schedule.end(),
                                       [&](const ScheduledMessage& m) { return m.sample >= totalFrames; });
  if (late > 0)
    Warn(std::to_string(late) + " MIDI message(s) fall at or after the end of the render (" + Number(seconds) +
         " s) and are not played");

  AudioFileWriter writer;
  if (!writer.Open(options.output, static_cast<int>(options.sampleRate), options.format, totalFrames, error))
    return Fail(error, 2);

  const int block = options.blockSize;
  std::vector<double> out1(block), out2(block), interleaved(2 * block);
  double* outputs[2] = {out1.data(), out2.data()};

  const bool showProgress = !options.quiet && seconds > 3.0 && isatty(STDERR_FILENO);
  int lastPercent = -1;
  size_t next = 0;
  std::vector<MidiMessage> blockEvents;
  for (long long pos = 0; pos < totalFrames; pos += block) {
    if (const int signal = gSignal) {
      if (showProgress) std::fprintf(stderr, "\n");
      return Fail("interrupted; no output written", 128 + signal);
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
  // Each of these ends the render at the next block and removes the unfinished file.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, OnSignal);
  return Run(options);
}
