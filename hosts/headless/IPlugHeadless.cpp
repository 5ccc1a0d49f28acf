#include "hosts/headless/IPlugHeadless.h"

#include "gui/IGraphics.h"

#include <mutex>

IPlugHeadless::IPlugHeadless(const InstanceInfo& /*info*/, int nParams, const char* channelIOStr, int nPrograms,
                             const char* effectName, const char* productName, const char* makerName, int version,
                             int32_t uniqueId, int32_t makerId, int latency, bool doesMidi, bool stateChunks,
                             bool isInstrument)
    : IPlugBase(nParams, channelIOStr, nPrograms, effectName, productName, makerName, version, uniqueId, makerId,
                latency, doesMidi, stateChunks, isInstrument, kApiVst3) {}

void IPlugHeadless::Activate(double sampleRate, int maxBlockSize) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  for (int i = 0; i < NInChannels(); ++i) SetInputConnected(i, false);
  for (int i = 0; i < NOutChannels(); ++i) SetOutputConnected(i, true);
  SetSampleRate(sampleRate);
  SetBlockSize(maxBlockSize);
  OnReset();
}

void IPlugHeadless::SendMidi(const MidiMessage& message) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  HandleMidiMessage(message);
}

void IPlugHeadless::SetParamPlain(int paramIdx, double value) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (PlugParam* param = GetParam(paramIdx)) {
    param->SetValue(value);
    AfterHostChange(paramIdx);
  }
}

void IPlugHeadless::SetParamNormalized(int paramIdx, double normalized) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (PlugParam* param = GetParam(paramIdx)) {
    param->SetFromNormalized(normalized);
    AfterHostChange(paramIdx);
  }
}

void IPlugHeadless::AfterHostChange(int paramIdx) {
  if (IGraphics* graphics = Graphics()) {
    graphics->PushParamToControls(paramIdx, GetParam(paramIdx)->CurrentNormalized(), true);
  }
  HandleParamChange(paramIdx);
}

void IPlugHeadless::ProcessDouble(double* const* outputs, int nFrames) {
  ProcessDouble(outputs, nFrames, nullptr, 0);
}

void IPlugHeadless::ProcessDouble(double* const* outputs, int nFrames, const MidiMessage* events, int nEvents) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  for (int i = 0; events != nullptr && i < nEvents; ++i) HandleMidiMessage(events[i]);
  if (nFrames <= 0) return;
  if (IsBypassed()) {
    BypassDouble(nullptr, 0, outputs, NOutChannels(), nFrames);
  } else {
    RenderDouble(nullptr, 0, outputs, NOutChannels(), nFrames);
  }
  mTime.samplePos += nFrames;
}

void IPlugHeadless::BeginParamGesture(int /*paramIdx*/) { ++mOpenGestures; }

void IPlugHeadless::NotifyHostParamValue(int paramIdx, double normalized) {
  mNotifications.push_back(Notification{paramIdx, normalized});
}

void IPlugHeadless::EndParamGesture(int /*paramIdx*/) { --mOpenGestures; }

void IPlugHeadless::HostTimeSig(int* numerator, int* denominator) {
  if (numerator) *numerator = mTime.numerator;
  if (denominator) *denominator = mTime.denominator;
}

void IPlugHeadless::HostTime(HostTimeInfo* info) {
  if (info) *info = mTime;
}

void IPlugHeadless::EditorResized(int /*width*/, int /*height*/) {}

bool IPlugHeadless::SendMidiMessage(const MidiMessage& message) {
  mMidiOut.push_back(message);
  return true;
}
