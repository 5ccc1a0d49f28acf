// The VST 3 host adapter: one object that is the plug-in core, the VST 3 component, its audio
// processor, its edit controller and its unit information. The product derives from it.
//
// Threads: the host calls process on its audio thread and everything else on its UI thread.
// process, getState, setState, setupProcessing and setActive hold the core's parameter lock;
// the other controller methods read and write parameter values without it (the values are
// atomic). Everything the host passes is checked: null pointers give kInvalidArgument, unknown
// IDs and indices are refused or ignored, counts and offsets are clamped, short streams are read
// until they end.
//
// Parameters as the host sees them: ID i is core parameter i; "prst" is the program change
// ("Preset", step count = program slots) and acts only when its value changes, so a host that
// flushes every parameter after a restore does not undo it; "bpas" (bypass) exists only for
// effects. State: the core's state chunk followed by a 32-bit little-endian bypass word, the same
// through IComponent and IEditController.
#pragma once

#include "core/IPlugBase.h"
#include "vst3support/SingleComponentEffect.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <atomic>
#include <string>
#include <vector>

class IPlugVST3View;

class IPlugVST3 : public IPlugBase, public Steinberg::Vst::IUnitInfo, public vst3support::SingleComponentEffect {
 public:
  // What the module's factory passes to each instance; nothing so far.
  struct InstanceInfo {};

  static constexpr int kEditorScale = 2;
  static constexpr int kEditorWidth = 500 * kEditorScale;
  static constexpr int kEditorHeight = 480 * kEditorScale;

  static constexpr Steinberg::Vst::ParamID kProgramParamId = 0x70727374;  // "prst"
  static constexpr Steinberg::Vst::ParamID kBypassParamId = 0x62706173;   // "bpas"
  static constexpr Steinberg::Vst::ProgramListID kProgramListId = 0x70727374;

  // Any thread, under the module's creation lock. Marks every channel connected and creates the
  // latency delay when there are inputs.
  IPlugVST3(const InstanceInfo& info, int nParams, const char* channelIOStr, int nPrograms, const char* effectName,
            const char* productName, const char* makerName, int version, int32_t uniqueId, int32_t makerId,
            int latency, bool doesMidi, bool stateChunks, bool isInstrument);
  ~IPlugVST3() override;

  // IPluginBase (UI thread). A second initialize answers kResultFalse and declares nothing, but
  // still identifies the host and restores program 0.
  Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  Steinberg::tresult PLUGIN_API terminate() override;

  // IComponent (UI thread).
  Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;
  // The stored state, shared by IComponent and IEditController. setState reads the whole state
  // before it changes anything: a stream that ends early changes nothing (kResultFalse).
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;

  // IAudioProcessor.
  // Succeeds only for exactly the buses declared; anything else fails with the buses unchanged.
  Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, Steinberg::int32 numIns,
                                                   Steinberg::Vst::SpeakerArrangement* outputs,
                                                   Steinberg::int32 numOuts) override;
  Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
  Steinberg::uint32 PLUGIN_API getLatencySamples() override;
  Steinberg::uint32 PLUGIN_API getTailSamples() override { return 0; }
  // UI thread, before activation; takes the lock. Refuses unknown sample sizes and a rate or
  // block size that is not positive.
  Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
  // Audio thread; takes the lock. Applies the block's parameter changes (the last point of each
  // queue) and note events, then renders numSamples frames into the host's buffers. A block of 0
  // frames or without buffers applies parameters and events and touches no buffer.
  Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;

  // IEditController (UI thread, no lock).
  Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
  Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value,
                                                      Steinberg::Vst::String128 string) override;
  Steinberg::tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID id, Steinberg::Vst::TChar* string,
                                                      Steinberg::Vst::ParamValue& value) override;
  Steinberg::Vst::ParamValue PLUGIN_API normalizedParamToPlain(Steinberg::Vst::ParamID id,
                                                               Steinberg::Vst::ParamValue value) override;
  Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(Steinberg::Vst::ParamID id,
                                                               Steinberg::Vst::ParamValue plain) override;
  Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override;
  // A new view for "editor" while the editor exists (the caller owns its one reference); null
  // for any other name.
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;
  // The open views, in creation order (IPlugVST3View adds and removes itself).
  void AddView(IPlugVST3View* view);
  void RemoveView(IPlugVST3View* view) noexcept;
  int NViews() const noexcept { return static_cast<int>(mViews.size()); }

  // IUnitInfo (UI thread).
  Steinberg::int32 PLUGIN_API getUnitCount() override;
  Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;
  Steinberg::int32 PLUGIN_API getProgramListCount() override { return 0; }
  Steinberg::tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex,
                                                   Steinberg::Vst::ProgramListInfo& info) override;
  Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, Steinberg::int32 programIndex,
                                               Steinberg::Vst::String128 name) override;
  Steinberg::tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID, Steinberg::int32, Steinberg::Vst::CString,
                                               Steinberg::Vst::String128) override {
    return Steinberg::kNotImplemented;
  }
  Steinberg::tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID, Steinberg::int32) override {
    return Steinberg::kNotImplemented;
  }
  Steinberg::tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID, Steinberg::int32, Steinberg::int16,
                                                    Steinberg::Vst::String128) override {
    return Steinberg::kNotImplemented;
  }
  Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() override { return Steinberg::Vst::kRootUnitId; }
  Steinberg::tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID) override { return Steinberg::kNotImplemented; }
  Steinberg::tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType, Steinberg::Vst::BusDirection, Steinberg::int32,
                                             Steinberg::int32, Steinberg::Vst::UnitID&) override {
    return Steinberg::kNotImplemented;
  }
  Steinberg::tresult PLUGIN_API setUnitProgramData(Steinberg::int32, Steinberg::int32, Steinberg::IBStream*) override {
    return Steinberg::kNotImplemented;
  }

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  const char* ClassName() const noexcept override { return "IPlugVST3"; }
  bool IsTypeOf(const char* name) const noexcept override;

  // Overrides of the core (UI thread unless stated).
  // The host's context menu for a parameter at (x, y) in the editor, through IComponentHandler3 and
  // the first open view; nothing without either.
  void ShowHostParamMenu(int paramIdx, int x, int y) override;
  void BeginParamGesture(int paramIdx) override;
  void NotifyHostParamValue(int paramIdx, double normalized) override;
  void EndParamGesture(int paramIdx) override;
  // restartComponent(kParamValuesChanged) when a component handler is set: the host reads every
  // value again through getParamNormalized.
  void NotifyHostProgramChange() override;
  // True while the host renders offline (process mode kOffline).
  bool IsRenderingOffline() override;
  // Transport of the last block that carried a process context (audio thread, lock held).
  int HostSamplePos() override;
  double HostTempo() override;
  void HostTimeSig(int* numerator, int* denominator) override;
  void HostTime(HostTimeInfo* info) override;
  void EditorResized(int width, int height) override;
  // Allocates (UI thread, lock held): resizes the latency delay and tells the host.
  void SetLatency(int samples) override;
  bool SendMidiMessage(const MidiMessage& message) override;

 // The speaker arrangement for 1..6 channels (mono, stereo, LRC, first-order ambisonics, 5.0,
  // 5.1); the empty arrangement for any other count.
  static Steinberg::Vst::SpeakerArrangement ArrangementForChannels(int channels) noexcept;

 private:
  void DeclareBuses();
  void DeclareParameters();
  Steinberg::Vst::UnitID UnitOfGroup(const char* group);
  void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  void ApplyEvents(Steinberg::Vst::IEventList* events, int nFrames);
  void RenderBlock(Steinberg::Vst::ProcessData& data, int nFrames);
  void SetBypass(bool bypassed) noexcept;

  std::vector<std::string> mInputBusNames;
  std::vector<std::string> mOutputBusNames;
  std::vector<std::string> mGroupNames;  // unit k is group k - 1
  Steinberg::Vst::ProcessSetup mSetup{};
  std::atomic<int32_t> mProcessMode{Steinberg::Vst::kRealtime};
  Steinberg::Vst::ProcessContext mContext{};
  // The normalised "prst" value last applied (0 after initialize restored program 0).
  std::atomic<double> mProgramValue{0.0};
  // The core's bypassed flag as the controller side reads it without the lock.
  std::atomic<bool> mBypassMirror{false};
  // Block scratch: the host's double output buffers of connected channels, in channel order.
  std::vector<double*> mDoubleOutputs;
  std::vector<double*> mDoubleInputs;
  std::vector<IPlugVST3View*> mViews;  // not owned; the first one resizes
};
