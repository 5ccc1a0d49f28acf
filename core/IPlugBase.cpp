#include "core/IPlugBase.h"

#include "core/FixedText.h"
#include "gui/IControl.h"
#include "gui/IGraphics.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr const char* kUserPresetName = "user preset";
constexpr const char* kDefaultProgramName = "Empty";

}  // namespace

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPrograms, const char* effectName,
                     const char* productName, const char* makerName, int version, int32_t uniqueId,
                     int32_t makerId, int latency, bool doesMidi, bool stateChunks, bool isInstrument, int api)
    : mUniqueId(uniqueId),
      mMakerId(makerId),
      mVersion(version),
      mApi(api),
      mStateChunks(stateChunks),
      mIsInstrument(isInstrument),
      mDoesMidi(doesMidi),
      mLatency(std::max(latency, 0)) {
  CopyFixedText(mEffectName, effectName);
  CopyFixedText(mProductName, productName);
  CopyFixedText(mMakerName, makerName);
  mParams.resize(static_cast<size_t>(std::max(nParams, 0)));
  mPrograms.resize(static_cast<size_t>(std::max(nPrograms, 0)));

  ParseChannelConfigs(channelIOStr);
  int nIn = 0;
  int nOut = 0;
  for (const ChannelIO& pair : mChannelConfigs) {
    nIn = std::max(nIn, pair.inputs);
    nOut = std::max(nOut, pair.outputs);
  }
  mInputs.resize(static_cast<size_t>(nIn));
  mOutputs.resize(static_cast<size_t>(nOut));
  mInputPtrs.assign(static_cast<size_t>(nIn), nullptr);
  mOutputPtrs.assign(static_cast<size_t>(nOut), nullptr);
}

IPlugBase::~IPlugBase() {
  // Controls may still reach the core while they are destroyed, so the surface goes first.
  mGraphics.reset();
}

void IPlugBase::ParseChannelConfigs(const char* text) {
  if (!text) return;
  // Pairs "in-out" separated by single spaces; an unreadable field counts as 0.
  const char* p = text;
  for (;;) {
    ChannelIO pair;
    std::sscanf(p, "%d-%d", &pair.inputs, &pair.outputs);
    mChannelConfigs.push_back(pair);
    const char* space = std::strchr(p, ' ');
    if (!space) break;
    p = space + 1;
  }
}

namespace {
// Output k gets input k where there is one, silence otherwise.
template <typename T>
void CopyInputsToOutputs(T** inputs, T** outputs, int nIn, int nOut, int nFrames) noexcept {
  if (!outputs || nFrames <= 0) return;
  const size_t n = static_cast<size_t>(nFrames);
  for (int k = 0; k < nOut; ++k) {
    T* out = outputs[k];
    if (!out) continue;
    const T* in = (k < nIn && inputs) ? inputs[k] : nullptr;
    if (in) {
      if (in != out) std::memmove(out, in, n * sizeof(T));
    } else {
      std::fill(out, out + n, T(0));
    }
  }
}
}  // namespace

// ---- virtual operations -------------------------------------------------------------------

void IPlugBase::OnReset() { Lock lock(mParamLock); }

void IPlugBase::HandleParamChange(int paramIdx) {
  Lock lock(mParamLock);
  (void)paramIdx;
}

void IPlugBase::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  CopyInputsToOutputs(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IPlugBase::ProcessBlockSingle(float** inputs, float** outputs, int nFrames) {
  CopyInputsToOutputs(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IPlugBase::OnActiveChanged(bool active) {
  Lock lock(mParamLock);
  (void)active;
}

void IPlugBase::HandleMidiMessage(const MidiMessage& message) { SendMidiMessage(message); }

bool IPlugBase::MidiNoteText(int note, char* text, size_t textSize) {
  (void)note;
  if (text && textSize > 0) text[0] = '\0';
  return false;
}

bool IPlugBase::WriteStateChunk(StateChunk& chunk) { return SerializeParams(chunk); }

int IPlugBase::ReadStateChunk(const StateChunk& chunk, int startPos) { return UnserializeParams(chunk, startPos); }

bool IPlugBase::StateEqualsChunk(const StateChunk& chunk, int startPos) {
  Lock lock(mParamLock);
  int pos = startPos;
  for (const PlugParam& param : mParams) {
    double stored = 0.0;
    pos = chunk.Get(&stored, pos);
    if (pos < 0) return false;
    const double live = param.Value();
    // Narrowing a value beyond the float range is undefined; such a value never matches.
    if (!(std::fabs(stored) <= FLT_MAX) || !(std::fabs(live) <= FLT_MAX)) return false;
    const double diff = static_cast<double>(static_cast<float>(live)) - static_cast<double>(static_cast<float>(stored));
    if (!(std::fabs(diff) < 0.00001)) return false;
  }
  return true;
}

void IPlugBase::SetParamFromEditor(int paramIdx, double normalized) {
  PlugParam* param = GetParam(paramIdx);
  if (!param || !std::isfinite(normalized)) return;
  Lock lock(mParamLock);
  param->SetFromNormalized(normalized);
  NotifyHostParamValue(paramIdx, normalized);
  HandleParamChange(paramIdx);
}

bool IPlugBase::TellHostIfViewStale() {
  if (!mHostViewStale.exchange(false, std::memory_order_acq_rel)) return false;
  NotifyHostProgramChange();
  return true;
}

void IPlugBase::ConnectEditor(IGraphics* graphics) {
  if (!graphics) return;
  Lock lock(mParamLock);
  for (int i = 0; i < NParams(); ++i) {
    const double normalized = mParams[static_cast<size_t>(i)].CurrentNormalized();
    for (int c = 0; c < graphics->NControls(); ++c) {
      IControl* control = graphics->GetControl(c);
      if (!control) continue;
      if (control->ParamIdx() == i) control->ApplyPlugValue(normalized);
      for (int a = 0; a < control->NAuxParams(); ++a) {
        if (control->AuxParamAt(a)->paramIdx == i) {
          control->ApplyAuxPlugValue(a, normalized);
          break;
        }
      }
    }
  }
  graphics->PrepareBuffers();
  if (mGraphics.get() != graphics) mGraphics.reset(graphics);
}

void IPlugBase::SetLatency(int samples) {
  Lock lock(mParamLock);
  mLatency = std::max(samples, 0);
  if (mLatencyDelay) mLatencyDelay->SetLength(mLatency);
}

void IPlugBase::RefreshEditorFromParams() {
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) {
    mGraphics->PushParamToControls(i, mParams[static_cast<size_t>(i)].Value(), false);
  }
}

void IPlugBase::SetBlockSize(int nFrames) {
  Lock lock(mParamLock);
  nFrames = std::max(nFrames, 0);
  if (nFrames == mBlockSize) return;
  const size_t n = static_cast<size_t>(nFrames);
  try {
    for (InputChannel& channel : mInputs) channel.buffer.assign(n, 0.0);
    for (OutputChannel& channel : mOutputs) channel.buffer.assign(n, 0.0);
  } catch (const std::bad_alloc&) {
    // Better no buffers than buffers of mixed sizes: with block size 0 nothing is rendered.
    for (InputChannel& channel : mInputs) std::vector<double>().swap(channel.buffer);
    for (OutputChannel& channel : mOutputs) std::vector<double>().swap(channel.buffer);
    nFrames = 0;
  }
  mBlockSize = nFrames;
  PointChannelsAtOwnBuffers();
}

// ---- parameters and channels --------------------------------------------------------------

PlugParam* IPlugBase::GetParam(int idx) noexcept {
  return idx >= 0 && idx < NParams() ? &mParams[static_cast<size_t>(idx)] : nullptr;
}

const PlugParam* IPlugBase::GetParam(int idx) const noexcept {
  return idx >= 0 && idx < NParams() ? &mParams[static_cast<size_t>(idx)] : nullptr;
}

bool IPlugBase::LegalIO(int nInputs, int nOutputs) const noexcept {
  for (const ChannelIO& pair : mChannelConfigs) {
    if ((nInputs < 0 || nInputs == pair.inputs) && (nOutputs < 0 || nOutputs == pair.outputs)) return true;
  }
  return false;
}

ChannelIO IPlugBase::ChannelConfig(int idx) const noexcept {
  return idx >= 0 && idx < NChannelConfigs() ? mChannelConfigs[static_cast<size_t>(idx)] : ChannelIO();
}

void IPlugBase::SetInputConnected(int idx, bool connected) noexcept {
  if (idx >= 0 && idx < NInChannels()) mInputs[static_cast<size_t>(idx)].connected = connected;
}

void IPlugBase::SetOutputConnected(int idx, bool connected) noexcept {
  if (idx >= 0 && idx < NOutChannels()) mOutputs[static_cast<size_t>(idx)].connected = connected;
}

bool IPlugBase::IsInputConnected(int idx) const noexcept {
  return idx >= 0 && idx < NInChannels() && mInputs[static_cast<size_t>(idx)].connected;
}

bool IPlugBase::IsOutputConnected(int idx) const noexcept {
  return idx >= 0 && idx < NOutChannels() && mOutputs[static_cast<size_t>(idx)].connected;
}

void IPlugBase::SetInputLabel(int idx, const char* label) {
  if (idx >= 0 && idx < NInChannels()) mInputs[static_cast<size_t>(idx)].label = label ? label : "";
}

void IPlugBase::SetOutputLabel(int idx, const char* label) {
  if (idx >= 0 && idx < NOutChannels()) mOutputs[static_cast<size_t>(idx)].label = label ? label : "";
}

const char* IPlugBase::InputLabel(int idx) const noexcept {
  return idx >= 0 && idx < NInChannels() ? mInputs[static_cast<size_t>(idx)].label.c_str() : "";
}

const char* IPlugBase::OutputLabel(int idx) const noexcept {
  return idx >= 0 && idx < NOutChannels() ? mOutputs[static_cast<size_t>(idx)].label.c_str() : "";
}

void IPlugBase::PointChannelsAtOwnBuffers() noexcept {
  for (size_t k = 0; k < mInputs.size(); ++k) {
    mInputPtrs[k] = mInputs[k].buffer.empty() ? nullptr : mInputs[k].buffer.data();
  }
  for (size_t k = 0; k < mOutputs.size(); ++k) {
    mOutputPtrs[k] = mOutputs[k].buffer.empty() ? nullptr : mOutputs[k].buffer.data();
  }
}

// ---- the block path -----------------------------------------------------------------------

void IPlugBase::BindHostInputs(int first, int count, const float* const* buffers, int nFrames) noexcept {
  const int n = std::min(std::max(nFrames, 0), mBlockSize);
  const long long end = std::min(static_cast<long long>(first) + std::max(count, 0),
                                 static_cast<long long>(NInChannels()));
  int hostIdx = 0;
  for (long long k = std::max(first, 0); k < end; ++k) {
    InputChannel& channel = mInputs[static_cast<size_t>(k)];
    if (!channel.connected) continue;
    const float* source = buffers ? buffers[hostIdx] : nullptr;
    ++hostIdx;
    channel.hostSource = source;
    double* dest = channel.buffer.data();
    for (int i = 0; i < n; ++i) dest[i] = source ? static_cast<double>(source[i]) : 0.0;
    mInputPtrs[static_cast<size_t>(k)] = channel.buffer.empty() ? nullptr : dest;
  }
}

void IPlugBase::BindHostOutputs(int first, int count, float* const* buffers) noexcept {
  const long long end = std::min(static_cast<long long>(first) + std::max(count, 0),
                                 static_cast<long long>(NOutChannels()));
  int hostIdx = 0;
  for (long long k = std::max(first, 0); k < end; ++k) {
    OutputChannel& channel = mOutputs[static_cast<size_t>(k)];
    if (!channel.connected) continue;
    channel.hostDestination = buffers ? buffers[hostIdx] : nullptr;
    ++hostIdx;
    mOutputPtrs[static_cast<size_t>(k)] = channel.buffer.empty() ? nullptr : channel.buffer.data();
  }
}

void IPlugBase::RenderAndConvert(int nFrames, bool accumulate) noexcept {
  RenderFloat(BlockPath::kRender, nFrames, accumulate);
}

void IPlugBase::BypassBuffers(int nFrames, bool accumulate) noexcept {
  RenderFloat(BlockPath::kBypass, nFrames, accumulate);
}

void IPlugBase::RenderDouble(double* const* inputs, int nInputBuffers, double* const* outputs, int nOutputBuffers,
                             int nFrames) noexcept {
  RenderDirect(BlockPath::kRender, inputs, nInputBuffers, outputs, nOutputBuffers, nFrames);
}

void IPlugBase::BypassDouble(double* const* inputs, int nInputBuffers, double* const* outputs, int nOutputBuffers,
                             int nFrames) noexcept {
  RenderDirect(BlockPath::kBypass, inputs, nInputBuffers, outputs, nOutputBuffers, nFrames);
}

void IPlugBase::RunSlice(BlockPath path, int nFrames) noexcept {
  double** inputs = mInputPtrs.data();
  double** outputs = mOutputPtrs.data();
  if (path == BlockPath::kRender) {
    ProcessBlock(inputs, outputs, nFrames);
  } else if (mLatency != 0 && mLatencyDelay) {
    mLatencyDelay->Process(inputs, outputs, nFrames);
  } else {
    IPlugBase::ProcessBlock(inputs, outputs, nFrames);
  }
}

void IPlugBase::RenderFloat(BlockPath path, int nFrames, bool accumulate) noexcept {
  nFrames = std::max(nFrames, 0);
  if (mBlockSize <= 0) {
    // No buffers to render into: the host hears silence rather than its own stale samples.
    if (!accumulate) {
      for (OutputChannel& channel : mOutputs) {
        if (channel.connected && channel.hostDestination) {
          std::fill(channel.hostDestination, channel.hostDestination + nFrames, 0.0f);
        }
      }
    }
    UnbindHostBuffers();
    return;
  }

  // A host may send more frames than it announced; the buffers hold BlockSize, so slice.
  int offset = 0;
  do {
    const int n = std::min(nFrames - offset, static_cast<int>(mBlockSize));
    if (offset > 0) {
      for (InputChannel& channel : mInputs) {
        if (!channel.hostSource) continue;
        const float* source = channel.hostSource + offset;
        for (int i = 0; i < n; ++i) channel.buffer[static_cast<size_t>(i)] = source[i];
      }
    }
    RunSlice(path, n);
    for (size_t k = 0; k < mOutputs.size(); ++k) {
      OutputChannel& channel = mOutputs[k];
      const double* source = mOutputPtrs[k];
      if (!channel.connected || !channel.hostDestination || !source) continue;
      float* dest = channel.hostDestination + offset;
      if (accumulate) {
        for (int i = 0; i < n; ++i) dest[i] += static_cast<float>(source[i]);
      } else {
        for (int i = 0; i < n; ++i) dest[i] = static_cast<float>(source[i]);
      }
    }
    offset += n;
  } while (offset < nFrames);
  UnbindHostBuffers();
}

void IPlugBase::RenderDirect(BlockPath path, double* const* inputs, int nInputBuffers, double* const* outputs,
                             int nOutputBuffers, int nFrames) noexcept {
  nFrames = std::max(nFrames, 0);
  if (!inputs) nInputBuffers = 0;
  if (!outputs) nOutputBuffers = 0;
  if (mBlockSize <= 0) {
    int hostIdx = 0;
    for (OutputChannel& channel : mOutputs) {
      if (!channel.connected) continue;
      double* dest = hostIdx < nOutputBuffers ? outputs[hostIdx] : nullptr;
      ++hostIdx;
      if (dest) std::fill(dest, dest + nFrames, 0.0);
    }
    return;
  }

  int offset = 0;
  do {
    const int n = std::min(nFrames - offset, static_cast<int>(mBlockSize));
    // Connected channels take the host's buffers at this slice; the rest keep their own.
    int hostIdx = 0;
    for (size_t k = 0; k < mInputs.size(); ++k) {
      InputChannel& channel = mInputs[k];
      double* source = nullptr;
      if (channel.connected) {
        source = hostIdx < nInputBuffers ? inputs[hostIdx] : nullptr;
        ++hostIdx;
        if (!source) std::fill(channel.buffer.begin(), channel.buffer.begin() + n, 0.0);
      }
      mInputPtrs[k] = source ? source + offset : channel.buffer.data();
    }
    hostIdx = 0;
    for (size_t k = 0; k < mOutputs.size(); ++k) {
      OutputChannel& channel = mOutputs[k];
      double* dest = nullptr;
      if (channel.connected) {
        dest = hostIdx < nOutputBuffers ? outputs[hostIdx] : nullptr;
        ++hostIdx;
      }
      mOutputPtrs[k] = dest ? dest + offset : channel.buffer.data();
    }
    RunSlice(path, n);
    offset += n;
  } while (offset < nFrames);
  PointChannelsAtOwnBuffers();
}

void IPlugBase::UnbindHostBuffers() noexcept {
  for (InputChannel& channel : mInputs) channel.hostSource = nullptr;
  for (OutputChannel& channel : mOutputs) channel.hostDestination = nullptr;
}

void IPlugBase::ClearChannelBuffers() noexcept {
  for (InputChannel& channel : mInputs) std::fill(channel.buffer.begin(), channel.buffer.end(), 0.0);
  for (OutputChannel& channel : mOutputs) std::fill(channel.buffer.begin(), channel.buffer.end(), 0.0);
}

void IPlugBase::CreateLatencyDelay() {
  if (NInChannels() > 0 && !mLatencyDelay) {
    mLatencyDelay.reset(new LatencyDelay(NInChannels(), NOutChannels(), mLatency));
  }
}

// ---- state and programs -------------------------------------------------------------------

bool IPlugBase::SerializeParams(StateChunk& chunk) {
  Lock lock(mParamLock);
  for (const PlugParam& param : mParams) chunk.Put(param.Value());
  return chunk.Size() > 0;
}

int IPlugBase::UnserializeParams(const StateChunk& chunk, int pos) {
  Lock lock(mParamLock);
  // All or nothing: a state that lacks any value changes no parameter.
  const long long need = 8LL * NParams();
  if (pos < 0 || chunk.Size() - static_cast<long long>(pos) < need) return -1;
  for (PlugParam& param : mParams) {
    double value = 0.0;
    pos = chunk.Get(&value, pos);
    param.SetValue(value);
  }
  // The product learns of every value, knowing that it comes from a stored state.
  const bool outer = mRestoringState;
  mRestoringState = true;
  for (int i = 0; i < NParams(); ++i) HandleParamChange(i);
  mRestoringState = outer;
  // Every value now is one the host gave: nothing is left for it to read again.
  mHostViewStale.store(false, std::memory_order_release);
  return pos;
}

bool IPlugBase::StoreState(ProgramSlot& slot) {
  slot.chunk.Clear();
  return WriteStateChunk(slot.chunk);
}

void IPlugBase::MakeDefaultPrograms(const char* name, int n) {
  Lock lock(mParamLock);
  for (int made = 0; made < n; ++made) {
    auto slot = std::find_if(mPrograms.begin(), mPrograms.end(),
                             [](const ProgramSlot& s) { return !s.initialized; });
    if (slot == mPrograms.end()) return;
    slot->initialized = true;
    slot->SetName(name ? name : kDefaultProgramName);
    StoreState(*slot);
  }
}

bool IPlugBase::RestoreProgram(int k) {
  Lock lock(mParamLock);
  if (k < 0 || k >= NPrograms()) return false;
  ProgramSlot& slot = mPrograms[static_cast<size_t>(k)];
  bool restored = false;
  if (slot.initialized) {
    // A product's ReadStateChunk may fail after its parameters have loaded: put them back.
    StateChunk live;
    SerializeParams(live);
    restored = ReadStateChunk(slot.chunk, 0) > 0;
    if (!restored) UnserializeParams(live, 0);
  } else {
    // A slot the host chose before anything was stored in it keeps the live values.
    int userPresets = 0;
    for (const ProgramSlot& other : mPrograms) {
      if (std::strstr(other.name, kUserPresetName)) ++userPresets;
    }
    char name[kProgramNameSize];
    std::snprintf(name, sizeof name, "%s %d", kUserPresetName, userPresets + 1);
    restored = StoreState(slot);
    if (restored) {
      slot.initialized = true;
      slot.SetName(name);
    }
  }
  if (!restored) return false;
  mCurrentProgram = k;
  OnProgramRestored();
  RefreshEditorFromParams();
  return true;
}

const char* IPlugBase::ProgramName(int k) const noexcept {
  return k >= 0 && k < NPrograms() ? mPrograms[static_cast<size_t>(k)].name : "";
}

const ProgramSlot* IPlugBase::Program(int k) const noexcept {
  return k >= 0 && k < NPrograms() ? &mPrograms[static_cast<size_t>(k)] : nullptr;
}

void IPlugBase::ModifyCurrentPreset(const char* name) {
  Lock lock(mParamLock);
  if (mCurrentProgram < 0 || mCurrentProgram >= NPrograms()) return;
  ProgramSlot& slot = mPrograms[static_cast<size_t>(mCurrentProgram)];
  StoreState(slot);
  if (name && name[0] != '\0') slot.SetName(name);
}

bool IPlugBase::SerializePresets(StateChunk& chunk) {
  Lock lock(mParamLock);
  bool ok = true;
  for (const ProgramSlot& slot : mPrograms) {
    chunk.PutText(slot.name);
    chunk.Put(static_cast<uint8_t>(slot.initialized ? 1 : 0));
    if (slot.initialized) {
      // No length prefix: the reader knows the state's length by reading it.
      chunk.PutBytes(slot.chunk.Data(), slot.chunk.Size());
      ok = ok && chunk.Size() > 0;
    }
  }
  return ok;
}

int IPlugBase::UnserializePresets(const StateChunk& chunk, int pos) {
  Lock lock(mParamLock);
  for (ProgramSlot& slot : mPrograms) {
    if (pos < 0) break;
    char name[kProgramNameSize];
    pos = chunk.GetText(name, kProgramNameSize, pos);
    uint8_t initialized = 0;
    pos = chunk.Get(&initialized, pos);
    if (pos < 0) break;
    if (initialized != 0) {
      // The slot changes only once its whole state has loaded.
      pos = ReadStateChunk(chunk, pos);
      if (pos < 0 || !StoreState(slot)) {
        pos = -1;
        break;
      }
    }
    slot.SetName(name);
    slot.initialized = initialized != 0;
  }
  RestoreProgram(mCurrentProgram);
  return pos;
}
