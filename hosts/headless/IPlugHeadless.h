// A host adapter for running a plug-in without a host: the renderer and the tests play the host
// through it. It keeps the host's side in plain members (tempo, transport position, the
// parameter notifications it received) so that a caller can set and inspect them.
//
// Calls follow a host's order: Activate (rate, block size), then per block any number of
// SendMidi for that block's events, then ProcessDouble. Every call takes the parameter lock,
// as a host adapter does around each host call.
#pragma once

#include "core/IPlugBase.h"

#include <vector>

class IPlugHeadless : public IPlugBase {
 public:
  // What a module's entry passes to each instance; a headless instance needs nothing.
  struct InstanceInfo {};

  // The editor is laid out at twice the small editor's size, as in the VST 3 module.
  static constexpr int kEditorScale = 2;
  static constexpr int kEditorWidth = 500 * kEditorScale;
  static constexpr int kEditorHeight = 480 * kEditorScale;

  IPlugHeadless(const InstanceInfo& info, int nParams, const char* channelIOStr, int nPrograms,
                const char* effectName, const char* productName, const char* makerName, int version,
                int32_t uniqueId, int32_t makerId, int latency, bool doesMidi, bool stateChunks,
                bool isInstrument);

  // Sets the rate and the maximum block length and resets the plug-in, as a host does before
  // processing starts (caller's thread).
  void Activate(double sampleRate, int maxBlockSize);
  // Delivers one event of the coming block to HandleMidiMessage.
  void SendMidi(const MidiMessage& message);
  // Host automation: sets a parameter's plain (or normalised) value, shows it in the editor and
  // calls HandleParamChange. Bad indices are ignored.
  void SetParamPlain(int paramIdx, double value);
  void SetParamNormalized(int paramIdx, double normalized);
  // Renders nFrames (any length; longer blocks are sliced by the core) into outputs[0..1];
  // the inputs are silent. Advances the transport position.
  void ProcessDouble(double* const* outputs, int nFrames);
  // One host block call: the block's events (offsets inside the block, in the order given) and
  // then its audio, under one hold of the parameter lock, as a host adapter's process call does.
  void ProcessDouble(double* const* outputs, int nFrames, const MidiMessage* events, int nEvents);

  // A headless render runs as fast as it can: offline, unless a test plays a real-time host.
  void SetRenderingOffline(bool offline) noexcept { mOffline = offline; }
  bool IsRenderingOffline() override { return mOffline; }

  // The host's transport as the plug-in will read it.
  void SetHostTempo(double bpm) noexcept { mTime.tempo = bpm; }
  void SetTransportRunning(bool running) noexcept { mTime.transportIsRunning = running; }

  // What the plug-in told the host.
  struct Notification {
    int paramIdx;
    double normalized;
  };
  const std::vector<Notification>& Notifications() const noexcept { return mNotifications; }
  int OpenGestures() const noexcept { return mOpenGestures; }
  int ProgramChangeNotices() const noexcept { return mProgramChanges; }
  const std::vector<MidiMessage>& MidiOut() const noexcept { return mMidiOut; }

  void BeginParamGesture(int paramIdx) override;
  void NotifyHostParamValue(int paramIdx, double normalized) override;
  void EndParamGesture(int paramIdx) override;
  void NotifyHostProgramChange() override { ++mProgramChanges; }
  int HostSamplePos() override { return static_cast<int>(mTime.samplePos); }
  double HostTempo() override { return mTime.tempo; }
  void HostTimeSig(int* numerator, int* denominator) override;
  void HostTime(HostTimeInfo* info) override;
  void EditorResized(int width, int height) override;
  bool SendMidiMessage(const MidiMessage& message) override;

 private:
  // Shows a host-set value in the editor and hands it to the plug-in (lock held).
  void AfterHostChange(int paramIdx);

  HostTimeInfo mTime;
  std::vector<Notification> mNotifications;
  std::vector<MidiMessage> mMidiOut;
  int mOpenGestures = 0;
  int mProgramChanges = 0;
  bool mOffline = true;
};
