// Construction, initialisation and the core's host operations of the VST 3 adapter.
#include "hosts/vst3/IPlugVST3.h"
#include "hosts/vst3/IPlugVST3View.h"

#include "vst3support/String.h"

#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsthostapplication.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <new>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr int kMaxMainInputChannels = 6;
}  // namespace

IPlugVST3::IPlugVST3(const InstanceInfo& /*info*/, int nParams, const char* channelIOStr, int nPrograms,
                     const char* effectName, const char* productName, const char* makerName, int version,
                     int32_t uniqueId, int32_t makerId, int latency, bool doesMidi, bool stateChunks,
                     bool isInstrument)
    : IPlugBase(nParams, channelIOStr, nPrograms, effectName, productName, makerName, version, uniqueId, makerId,
                latency, doesMidi, stateChunks, isInstrument, kApiVst3) {
  for (int i = 0; i < NInChannels(); ++i) SetInputConnected(i, true);
  for (int i = 0; i < NOutChannels(); ++i) SetOutputConnected(i, true);
  if (NInChannels() > 0) CreateLatencyDelay();
  mInputBusNames.emplace_back("Main Input");
  if (IsInstrument()) {
    for (int i = 0; i * 2 < NOutChannels(); ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Output %i", i + 1);
      mOutputBusNames.emplace_back(name);
    }
  } else {
    mOutputBusNames.emplace_back("Output");
  }
  mDoubleInputs.assign(static_cast<size_t>(NInChannels()), nullptr);
  mDoubleOutputs.assign(static_cast<size_t>(NOutChannels()), nullptr);
}

IPlugVST3::~IPlugVST3() = default;

tresult PLUGIN_API IPlugVST3::initialize(FUnknown* context) {
  if (context == nullptr) return kInvalidArgument;
  const tresult result = SingleComponentEffect::initialize(context);
  IHostApplication* app = nullptr;
  if (context->queryInterface(IHostApplication::iid, reinterpret_cast<void**>(&app)) == kResultOk && app) {
    String128 name = {};
    if (app->getName(name) == kResultOk) {
      name[127] = 0;
      char narrow[128];
      vst3support::String::NarrowLowByte(name, narrow, sizeof narrow);
      SetHostIdentity(IdentifyHost(narrow), 0);
    }
    app->release();
  }
  if (result == kResultOk) {
    try {
      DeclareBuses();
      DeclareParameters();
    } catch (const std::bad_alloc&) {
      SingleComponentEffect::terminate();
      return kOutOfMemory;
    }
  }
  AfterHostKnown();
  if (RestoreProgram(0)) mProgramValue.store(0.0);
  return result;
}

tresult PLUGIN_API IPlugVST3::terminate() {
  mGroupNames.clear();
  return SingleComponentEffect::terminate();
}

void IPlugVST3::DeclareBuses() {
  // An instrument takes no audio input, whatever its channel configuration lists.
  const int mainInputs = IsInstrument() ? 0 : NInChannels();
  if (mainInputs >= 1 && mainInputs <= kMaxMainInputChannels) {
    mAudioInputs.Add(std::make_unique<vst3support::AudioBus>(mInputBusNames[0].c_str(), kMain,
                                                             BusInfo::kDefaultActive,
                                                             ArrangementForChannels(mainInputs)));
  }
  if (IsInstrument()) {
    for (int i = 0; i * 2 < NOutChannels(); ++i) {
      mAudioOutputs.Add(std::make_unique<vst3support::AudioBus>(mOutputBusNames[static_cast<size_t>(i)].c_str(),
                                                                kMain, BusInfo::kDefaultActive,
                                                                SpeakerArr::kStereo));
    }
  } else {
    mAudioOutputs.Add(std::make_unique<vst3support::AudioBus>("Output", kMain, BusInfo::kDefaultActive,
                                                              ArrangementForChannels(NOutChannels())));
  }
  if (DoesMidi()) {
    mEventInputs.Add(std::make_unique<vst3support::EventBus>("MIDI Input", kMain, BusInfo::kDefaultActive, 1));
  }
}

UnitID IPlugVST3::UnitOfGroup(const char* group) {
  if (group == nullptr || group[0] == '\0') return kRootUnitId;
  for (size_t k = 0; k < mGroupNames.size(); ++k) {
    if (mGroupNames[k] == group) return static_cast<UnitID>(k + 1);
  }
  mGroupNames.emplace_back(group);
  return static_cast<UnitID>(mGroupNames.size());
}

void IPlugVST3::DeclareParameters() {
  if (NPrograms() > 0) {
    mParameters.Add(std::make_unique<vst3support::Parameter>("Preset", kProgramParamId, "", 0.0, NPrograms(),
                                                             ParameterInfo::kIsProgramChange, kRootUnitId));
  }
  if (!IsInstrument()) {
    auto bypass = std::make_unique<vst3support::StringListParameter>(
        "Bypass", kBypassParamId, "", ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass, kRootUnitId);
    bypass->AppendString("off");
    bypass->AppendString("on");
    mParameters.Add(std::move(bypass));
  }
  for (int i = 0; i < NParams(); ++i) {
    const PlugParam& param = *GetParam(i);
    const UnitID unit = UnitOfGroup(param.Group());
    const char* units = param.DisplayLabel();
    const int32 automate = param.CanAutomate() ? ParameterInfo::kCanAutomate : 0;
    switch (param.Type()) {
      case kParamBool:
      case kParamEnum: {
        auto list = std::make_unique<vst3support::StringListParameter>(param.Name(), static_cast<ParamID>(i), units,
                                                                      automate, unit);
        for (int j = 0; j < param.NDisplayTexts(); ++j) {
          const char* text = param.FindDisplayText(j);
          list->AppendString(text ? text : "");
        }
        mParameters.Add(std::move(list));
        break;
      }
      case kParamInt:
      case kParamDouble: {
        auto range = std::make_unique<vst3support::RangeParameter>(param.Name(), static_cast<ParamID>(i), units,
                                                                  param.Min(), param.Max(), param.Default(), 0,
                                                                  automate, unit);
        range->SetPrecision(param.DisplayPrecision());
        mParameters.Add(std::move(range));
        break;
      }
      case kParamNone:
        break;
    }
  }
}

tresult PLUGIN_API IPlugVST3::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (Answer(iid, IUnitInfo::iid, static_cast<IUnitInfo*>(this), obj)) return kResultOk;
  return SingleComponentEffect::queryInterface(iid, obj);
}

bool IPlugVST3::IsTypeOf(const char* name) const noexcept {
  return vst3support::IsName(name, "IPlugVST3") || SingleComponentEffect::IsTypeOf(name);
}

void IPlugVST3::ShowHostParamMenu(int paramIdx, int x, int y) {
  IComponentHandler* handler = ComponentHandler();
  if (!handler || mViews.empty() || paramIdx < 0 || paramIdx >= NParams()) return;
  IComponentHandler3* handler3 = nullptr;
  if (handler->queryInterface(IComponentHandler3::iid, reinterpret_cast<void**>(&handler3)) != kResultOk ||
      !handler3) {
    return;
  }
  const ParamID id = static_cast<ParamID>(paramIdx);
  // The host fills the menu with its own entries (automation, MIDI learn) for this parameter.
  if (IContextMenu* menu = handler3->createContextMenu(static_cast<IPlugView*>(mViews.front()), &id)) {
    menu->popup(x, y);
    menu->release();
  }
  handler3->release();
}

void IPlugVST3::BeginParamGesture(int paramIdx) {
  if (paramIdx >= 0 && paramIdx < NParams()) beginEdit(static_cast<ParamID>(paramIdx));
}

void IPlugVST3::NotifyHostParamValue(int paramIdx, double normalized) {
  if (paramIdx >= 0 && paramIdx < NParams()) performEdit(static_cast<ParamID>(paramIdx), normalized);
}

void IPlugVST3::EndParamGesture(int paramIdx) {
  if (paramIdx >= 0 && paramIdx < NParams()) endEdit(static_cast<ParamID>(paramIdx));
}

void IPlugVST3::NotifyHostProgramChange() {
  if (IComponentHandler* handler = ComponentHandler()) handler->restartComponent(kParamValuesChanged);
}

bool IPlugVST3::IsRenderingOffline() { return mProcessMode.load(std::memory_order_relaxed) == kOffline; }

int IPlugVST3::HostSamplePos() { return static_cast<int>(static_cast<uint32_t>(mContext.projectTimeSamples)); }

double IPlugVST3::HostTempo() { return mContext.tempo; }

void IPlugVST3::HostTimeSig(int* numerator, int* denominator) {
  if (numerator) *numerator = mContext.timeSigNumerator;
  if (denominator) *denominator = mContext.timeSigDenominator;
}

void IPlugVST3::HostTime(HostTimeInfo* info) {
  if (info == nullptr) return;
  info->tempo = mContext.tempo;
  info->samplePos = static_cast<double>(mContext.projectTimeSamples);
  info->ppqPos = mContext.projectTimeMusic;
  info->lastBarPos = mContext.barPositionMusic;
  info->cycleStart = mContext.cycleStartMusic;
  info->cycleEnd = mContext.cycleEndMusic;
  info->numerator = mContext.timeSigNumerator;
  info->denominator = mContext.timeSigDenominator;
  info->transportIsRunning = (mContext.state & ProcessContext::kPlaying) != 0;
  info->loopEnabled = (mContext.state & ProcessContext::kCycleActive) != 0;
}

void IPlugVST3::EditorResized(int width, int height) {
  if (!mViews.empty()) mViews.front()->RequestResize(width, height);
}

void IPlugVST3::SetLatency(int samples) {
  IPlugBase::SetLatency(samples);
  if (IComponentHandler* handler = ComponentHandler()) handler->restartComponent(kLatencyChanged);
}

bool IPlugVST3::SendMidiMessage(const MidiMessage& /*message*/) { return false; }

void IPlugVST3::SetBypass(bool bypassed) noexcept {
  SetBypassed(bypassed);
  mBypassMirror.store(bypassed, std::memory_order_relaxed);
}
