#include "vst3support/SingleComponentEffect.h"

namespace vst3support {

using namespace Steinberg;
using namespace Steinberg::Vst;

SingleComponentEffect::SingleComponentEffect()
    : mAudioInputs(kAudio, kInput), mAudioOutputs(kAudio, kOutput), mEventInputs(kEvent, kInput),
      mEventOutputs(kEvent, kOutput) {}

SingleComponentEffect::~SingleComponentEffect() = default;

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context) { return EditController::initialize(context); }

tresult PLUGIN_API SingleComponentEffect::terminate() {
  mAudioInputs.Clear();
  mAudioOutputs.Clear();
  mEventInputs.Clear();
  mEventOutputs.Clear();
  return EditController::terminate();
}

BusList* SingleComponentEffect::Buses(MediaType type, BusDirection dir) noexcept {
  if (type == kAudio) return dir == kInput ? &mAudioInputs : (dir == kOutput ? &mAudioOutputs : nullptr);
  if (type == kEvent) return dir == kInput ? &mEventInputs : (dir == kOutput ? &mEventOutputs : nullptr);
  return nullptr;
}

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID) { return kNotImplemented; }
tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode) { return kNotImplemented; }

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir) {
  const BusList* list = Buses(type, dir);
  return list ? list->Count() : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) {
  const BusList* list = Buses(type, dir);
  return list ? list->GetInfo(index, bus) : kInvalidArgument;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index, TBool state) {
  const BusList* list = Buses(type, dir);
  Bus* bus = list ? list->At(index) : nullptr;
  if (bus == nullptr) return kInvalidArgument;
  bus->SetActive(state != 0);
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool) { return kResultOk; }
tresult PLUGIN_API SingleComponentEffect::setState(IBStream*) { return kNotImplemented; }
tresult PLUGIN_API SingleComponentEffect::getState(IBStream*) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement*, int32, SpeakerArrangement*, int32) {
  return kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) {
  const AudioBus* bus = Buses(kAudio, dir) ? Buses(kAudio, dir)->AudioAt(index) : nullptr;
  if (bus == nullptr) return kInvalidArgument;
  arr = bus->Arrangement();
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 ? kResultOk : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup&) { return kResultFalse; }
tresult PLUGIN_API SingleComponentEffect::setProcessing(TBool) { return kNotImplemented; }
tresult PLUGIN_API SingleComponentEffect::process(ProcessData&) { return kResultFalse; }

tresult PLUGIN_API SingleComponentEffect::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (Answer(iid, IComponent::iid, static_cast<IComponent*>(this), obj)) return kResultOk;
  if (Answer(iid, IAudioProcessor::iid, static_cast<IAudioProcessor*>(this), obj)) return kResultOk;
  return EditController::queryInterface(iid, obj);
}

bool SingleComponentEffect::IsTypeOf(const char* name) const noexcept {
  return IsName(name, "SingleComponentEffect") || EditController::IsTypeOf(name);
}

}  // namespace vst3support
