// The component and audio-processor side of the VST 3 adapter: buses, processing set-up and the
// block call.
#include "hosts/vst3/IPlugVST3.h"

#include "gui/IGraphics.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>

using namespace Steinberg;
using namespace Steinberg::Vst;

SpeakerArrangement IPlugVST3::ArrangementForChannels(int channels) noexcept {
  switch (channels) {
    case 1: return SpeakerArr::kMono;
    case 2: return SpeakerArr::kStereo;
    case 3: return SpeakerArr::k30Cine;
    case 4: return SpeakerArr::kAmbi1stOrderACN;
    case 5: return SpeakerArr::k50;
    case 6: return SpeakerArr::k51;
    default: return SpeakerArr::kEmpty;
  }
}

tresult PLUGIN_API IPlugVST3::setActive(TBool state) {
  OnActiveChanged(state != 0);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                 SpeakerArrangement* outputs, int32 numOuts) {
  if (numIns < 0 || numOuts < 0 || (numIns > 0 && inputs == nullptr) || (numOuts > 0 && outputs == nullptr)) {
    return kInvalidArgument;
  }
  // The buses are fixed by the channel configuration: the host may only confirm them.
  if (numIns != mAudioInputs.Count() || numOuts != mAudioOutputs.Count()) return kResultFalse;
  for (int32 i = 0; i < numIns; ++i) {
    if (mAudioInputs.AudioAt(i)->Arrangement() != inputs[i]) return kResultFalse;
  }
  for (int32 i = 0; i < numOuts; ++i) {
    if (mAudioOutputs.AudioAt(i)->Arrangement() != outputs[i]) return kResultFalse;
  }
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultOk : kResultFalse;
}

uint32 PLUGIN_API IPlugVST3::getLatencySamples() { return static_cast<uint32>(std::max(Latency(), 0)); }

tresult PLUGIN_API IPlugVST3::setupProcessing(ProcessSetup& setup) {
  if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
  if (setup.maxSamplesPerBlock <= 0 || !(setup.sampleRate > 0.0) || !std::isfinite(setup.sampleRate)) {
    return kResultFalse;
  }
  try {
    std::lock_guard<std::recursive_mutex> lock(ParamLock());
    SetBypass(false);
    SetSampleRate(setup.sampleRate);
    SetBlockSize(setup.maxSamplesPerBlock);
    OnReset();
    mSetup = setup;
    mProcessMode.store(setup.processMode, std::memory_order_relaxed);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setProcessing(TBool /*state*/) { return kNotImplemented; }

void IPlugVST3::ApplyParameterChanges(IParameterChanges* changes) {
  if (changes == nullptr) return;
  const int32 nQueues = changes->getParameterCount();
  for (int32 q = 0; q < nQueues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (queue == nullptr) continue;
    const int32 nPoints = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0.0;
    if (nPoints <= 0 || queue->getPoint(nPoints - 1, offset, value) != kResultOk || !std::isfinite(value)) continue;
    value = std::min(std::max(value, 0.0), 1.0);
    const ParamID id = queue->getParameterId();
    if (id == kBypassParamId) {
      SetBypass(value > 0.5);
    } else if (id == kProgramParamId) {
      // Only a new value selects a program: a host that flushes the value it already sent (after
      // a project restore, say) must not reload the program over the restored state.
      if (value == mProgramValue.load(std::memory_order_relaxed)) continue;
      mProgramValue.store(value, std::memory_order_relaxed);
      const int index = static_cast<int>(value * NPrograms());
      if (index >= 0) RestoreProgram(index);
    } else if (id < static_cast<ParamID>(NParams())) {
      const int idx = static_cast<int>(id);
      GetParam(idx)->SetFromNormalized(value);
      if (IGraphics* graphics = Graphics()) graphics->PushParamToControls(idx, value, true);
      HandleParamChange(idx);
    }
  }
}

void IPlugVST3::ApplyEvents(IEventList* events, int nFrames) {
  if (events == nullptr || !DoesMidi()) return;
  const int32 nEvents = events->getEventCount();
  const int32 lastFrame = std::max(nFrames - 1, 0);
  for (int32 i = 0; i < nEvents; ++i) {
    Event event{};
    if (events->getEvent(i, event) != kResultOk) continue;
    MidiMessage message{};
    message.offset = std::min(std::max(event.sampleOffset, 0), lastFrame);
    if (event.type == Event::kNoteOnEvent) {
      const auto& note = event.noteOn;
      if (note.pitch < 0 || note.pitch > 127 || note.channel < 0 || note.channel > 15) continue;
      const float velocity = std::isfinite(note.velocity) ? std::min(std::max(note.velocity, 0.0f), 1.0f) : 0.0f;
      message.status = static_cast<uint8_t>(0x90 | note.channel);
      message.data1 = static_cast<uint8_t>(note.pitch);
      message.data2 = static_cast<uint8_t>(velocity * 127.0f);
    } else if (event.type == Event::kNoteOffEvent) {
      const auto& note = event.noteOff;
      if (note.pitch < 0 || note.pitch > 127 || note.channel < 0 || note.channel > 15) continue;
      message.status = static_cast<uint8_t>(0x80 | note.channel);
      message.data1 = static_cast<uint8_t>(note.pitch);
      message.data2 = 0;
    } else {
      continue;
    }
    HandleMidiMessage(message);
  }
}

void IPlugVST3::RenderBlock(ProcessData& data, int nFrames) {
  const bool isDouble = data.symbolicSampleSize == kSample64;
  const int nIn = NInChannels();
  const int nOut = NOutChannels();

  // Inputs: the main input bus feeds the core's first channels; missing buffers read as silence.
  int nDoubleIn = 0;
  const AudioBusBuffers* inBus = data.numInputs > 0 && data.inputs ? &data.inputs[0] : nullptr;
  const int hostInChannels = inBus ? std::max(inBus->numChannels, 0) : 0;
  for (int k = 0; k < nIn; ++k) {
    const bool present = k < hostInChannels &&
                         (isDouble ? inBus->channelBuffers64 != nullptr : inBus->channelBuffers32 != nullptr);
    SetInputConnected(k, present);
  }
  if (inBus != nullptr && hostInChannels > 0) {
    if (isDouble && inBus->channelBuffers64) {
      for (int k = 0; k < nIn && k < hostInChannels; ++k) mDoubleInputs[static_cast<size_t>(nDoubleIn++)] = inBus->channelBuffers64[k];
    } else if (!isDouble && inBus->channelBuffers32) {
      BindHostInputs(0, std::min(hostInChannels, nIn), inBus->channelBuffers32, nFrames);
    }
  }

  // Outputs: bus i takes the core's channels from the running start s; a channel is connected
  // when its bus is active and the host gave a buffer for it.
  for (int k = 0; k < nOut; ++k) SetOutputConnected(k, false);
  int nDoubleOut = 0;
  int start = 0;
  for (int32 b = 0; b < data.numOutputs && data.outputs != nullptr && start < nOut; ++b) {
    const AudioBusBuffers& bus = data.outputs[b];
    const int channels = std::max(bus.numChannels, 0);
    const vst3support::Bus* ours = mAudioOutputs.At(b);
    const bool active = ours != nullptr && ours->IsActive();
    for (int c = 0; c < channels && start + c < nOut; ++c) {
      const int k = start + c;
      if (isDouble) {
        double* buffer = active && bus.channelBuffers64 ? bus.channelBuffers64[c] : nullptr;
        if (buffer == nullptr) continue;
        SetOutputConnected(k, true);
        mDoubleOutputs[static_cast<size_t>(nDoubleOut++)] = buffer;
      } else {
        float* buffer = active && bus.channelBuffers32 ? bus.channelBuffers32[c] : nullptr;
        if (buffer == nullptr) continue;
        SetOutputConnected(k, true);
        BindHostOutputs(k, 1, &buffer);
      }
    }
    start += channels;
  }

  if (isDouble) {
    if (IsBypassed()) {
      BypassDouble(mDoubleInputs.data(), nDoubleIn, mDoubleOutputs.data(), nDoubleOut, nFrames);
    } else {
      RenderDouble(mDoubleInputs.data(), nDoubleIn, mDoubleOutputs.data(), nDoubleOut, nFrames);
    }
  } else if (IsBypassed()) {
    BypassBuffers(nFrames);
  } else {
    RenderAndConvert(nFrames);
  }
}

tresult PLUGIN_API IPlugVST3::process(ProcessData& data) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (data.processContext != nullptr) mContext = *data.processContext;
  const int nFrames = std::max(data.numSamples, 0);
  ApplyParameterChanges(data.inputParameterChanges);
  ApplyEvents(data.inputEvents, nFrames);
  const bool knownSize = data.symbolicSampleSize == kSample32 || data.symbolicSampleSize == kSample64;
  if (nFrames > 0 && knownSize) RenderBlock(data, nFrames);
  return kResultOk;
}
