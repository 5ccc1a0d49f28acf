// The VST 2 host adapter. It owns the effect record handed to the host, answers the dispatcher,
// runs the audio and parameter callbacks, and implements the core's host-facing operations
// through the host callback.
//
// Every call from the host (dispatcher, the three audio callbacks, getParameter, setParameter)
// holds the core's parameter lock for its whole duration, so calls from the audio thread and the
// UI thread never overlap inside the plug-in. Nothing a host passes is trusted: null pointers,
// bad indices and counts answer 0 and change nothing, and no exception leaves a callback.
//
// effClose clears the record's object pointer under the lock and destroys the plug-in after
// releasing it. The record itself outlives the plug-in (it is retired, not freed, until the
// module unloads), so a host that calls a closed effect reaches a record with no object and gets 0.
#pragma once

#include "core/IPlugBase.h"
#include "hosts/vst2/VstAbi.h"

#include <atomic>

class IPlugVST : public IPlugBase {
 public:
  // What the module entry passes to each instance.
  struct InstanceInfo {
    audioMasterCallback hostCallback = nullptr;
  };

  // The editor is laid out at the small editor's size.
  static constexpr int kEditorScale = 1;
  static constexpr int kEditorWidth = 500 * kEditorScale;
  static constexpr int kEditorHeight = 480 * kEditorScale;

  // Text limits of the answers, in bytes including the terminating zero.
  static constexpr int kParamTextBytes = kVstExtMaxParamStrLen;    // names, labels, displays
  static constexpr int kProgramNameBytes = kVstMaxProgNameLen;
  static constexpr int kEffectNameBytes = kVstMaxEffectNameLen;
  static constexpr int kVendorTextBytes = kVstMaxVendorStrLen;     // vendor and product

  // Largest chunk effSetChunk accepts: far above any state or bank this plug-in writes, so a
  // larger count can only be a host's mistake.
  static constexpr int kMaxChunkBytes = 1 << 20;
  // Largest block length a host may announce (the channel buffers are sized for it).
  static constexpr int kMaxBlockSize = 1 << 20;

  IPlugVST(const InstanceInfo& info, int nParams, const char* channelIOStr, int nPrograms, const char* effectName,
           const char* productName, const char* makerName, int version, int32_t uniqueId, int32_t makerId,
           int latency, bool doesMidi, bool stateChunks, bool isInstrument);
  ~IPlugVST() override;

  // The record handed to the host; its object pointer leads back here.
  AEffect* Effect() noexcept { return mEffect; }
  // Bits the host turned on by asking effCanDo: 1 "hasCockosExtensions", 2 "hasCockosViewAsConfig".
  int HostExtensionFlags() const noexcept { return mHostExtensions; }

  // The core's host-facing operations.
  void BeginParamGesture(int paramIdx) override;
  void NotifyHostParamValue(int paramIdx, double normalized) override;
  void EndParamGesture(int paramIdx) override;
  void NotifyHostProgramChange() override;
  // Asks the host's process level at most once per audio callback; outside one, every time.
  bool IsRenderingOffline() override;
  int HostSamplePos() override;
  double HostTempo() override;
  void HostTimeSig(int* numerator, int* denominator) override;
  void HostTime(HostTimeInfo* info) override;
  HostKind CurrentHostKind() override;
  void EditorResized(int width, int height) override;
  void InitForHost() override;
  void ConnectEditor(IGraphics* graphics) override;
  void SetLatency(int samples) override;
  bool SendMidiMessage(const MidiMessage& message) override;
  bool SendSysExMessage(const SysExMessage& message) override;

 private:
  static IPlugVST* FromEffect(AEffect* effect) noexcept;
  static VstIntPtr Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);
  static void Process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
  static void ProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
  static void ProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames);
  static void SetParameter(AEffect* effect, VstInt32 index, float value);
  static float GetParameter(AEffect* effect, VstInt32 index);

  // One opcode, lock held.
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  void RenderFloat(float** inputs, float** outputs, VstInt32 frames, bool accumulate) noexcept;
  void BeginBlock() noexcept;
  // A host request; 0 when the host gave no callback.
  VstIntPtr HostCall(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) noexcept;
  const VstTimeInfo* HostTimeInfoFor(VstInt32 filter) noexcept;

  VstIntPtr ProcessEvents(const VstEvents* events) noexcept;
  VstIntPtr GetChunk(bool program, void** data);
  VstIntPtr SetChunk(bool program, VstIntPtr size, const void* data);
  VstIntPtr StringToParameter(int index, const char* text);
  VstIntPtr VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr CanDo(const char* text);
  VstIntPtr PinProperties(bool input, int index, VstPinProperties* pin) const noexcept;
  void SetSpeakerArrangement(const VstSpeakerArrangement* in, const VstSpeakerArrangement* out) noexcept;
  bool HasEditorWindow() const noexcept;

  audioMasterCallback mHostCallback = nullptr;
  AEffect* mEffect = nullptr;
  ERect mEditorRect = {};
  VstSpeakerArrangement mInputArrangement = {};
  VstSpeakerArrangement mOutputArrangement = {};
  StateChunk mProgramChunk;
  StateChunk mBankChunk;
  int mHostExtensions = 0;
  bool mHostSetUpDone = false;
  bool mInAudioCallback = false;
  bool mProcessLevelKnown = false;
  bool mOffline = false;
};
