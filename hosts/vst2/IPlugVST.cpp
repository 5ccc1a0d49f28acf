#include "hosts/vst2/IPlugVST.h"

#include "gui/EditorGraphicsFactory.h"

#include "core/FixedText.h"
#include "gui/IGraphics.h"
#include "hosts/vst2/VstEditorPlatform.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int kChunkHeaderBytes = 8;
constexpr VstIntPtr kVendorSpecificYes = 0xBEEF;
constexpr VstIntPtr kCanDoCockos = static_cast<VstIntPtr>(0xBEEF0000u);
constexpr VstInt32 kHostTimeFilter = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
                                     kVstTimeSigValid;

// Event records as small as these cannot hold the fields read from them. Hosts fill byteSize
// either with the whole record's size or without the two leading fields, so the smaller counts.
constexpr VstInt32 kMinMidiEventBytes = static_cast<VstInt32>(sizeof(VstMidiEvent)) - 8;
constexpr VstInt32 kMinSysExEventBytes = static_cast<VstInt32>(sizeof(VstMidiSysexEvent)) - 8;

// Records of closed effects. A host may still hold a record's address after effClose; keeping the
// record (with no object) until the module unloads turns such a call into a harmless 0.
struct RetiredRecords {
  std::mutex mutex;
  std::vector<std::unique_ptr<AEffect>> records;
};

RetiredRecords& Retired() {
  static RetiredRecords retired;
  return retired;
}

// A host value used as an index; -1 when it does not fit an int.
int ToIndex(VstIntPtr value) noexcept {
  return value < 0 || value > INT_MAX ? -1 : static_cast<int>(value);
}

int VendorVersion(int version) noexcept {
  return ((version >> 16) & 0xFFFF) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
}

VstInt32 ArrangementType(int channels) noexcept {
  switch (channels) {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}

int16_t ToRectCoordinate(int value) noexcept {
  return static_cast<int16_t>(std::clamp(value, 0, static_cast<int>(INT16_MAX)));
}

}  // namespace

IPlugVST::IPlugVST(const InstanceInfo& info, int nParams, const char* channelIOStr, int nPrograms,
                   const char* effectName, const char* productName, const char* makerName, int version,
                   int32_t uniqueId, int32_t makerId, int latency, bool doesMidi, bool stateChunks,
                   bool isInstrument)
    : IPlugBase(nParams, channelIOStr, nPrograms, effectName, productName, makerName, version, uniqueId, makerId,
                latency, doesMidi, stateChunks, isInstrument, kApiVst2),
      mHostCallback(info.hostCallback),
      mEffect(new AEffect()) {
  mEffect->magic = kEffectMagic;
  mEffect->dispatcher = &IPlugVST::Dispatcher;
  mEffect->process = &IPlugVST::Process;
  mEffect->setParameter = &IPlugVST::SetParameter;
  mEffect->getParameter = &IPlugVST::GetParameter;
  mEffect->processReplacing = &IPlugVST::ProcessReplacing;
  mEffect->processDoubleReplacing = &IPlugVST::ProcessDoubleReplacing;
  mEffect->numPrograms = NPrograms();
  mEffect->numParams = NParams();
  mEffect->numInputs = NInChannels();
  mEffect->numOutputs = NOutChannels();
  mEffect->flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (isInstrument) mEffect->flags |= effFlagsIsSynth;
  if (LegalIO(1, -1)) mEffect->flags |= effFlagsCanMono;
  if (stateChunks) mEffect->flags |= effFlagsProgramChunks;
  mEffect->initialDelay = Latency();
  mEffect->ioRatio = 1.0f;
  mEffect->object = this;
  mEffect->uniqueID = uniqueId;
  mEffect->version = VendorVersion(version);

  for (int i = 0; i < NInChannels(); ++i) SetInputConnected(i, true);
  for (int i = 0; i < NOutChannels(); ++i) SetOutputConnected(i, true);
  mInputArrangement.type = ArrangementType(NInChannels());
  mInputArrangement.numChannels = NInChannels();
  mOutputArrangement.type = ArrangementType(NOutChannels());
  mOutputArrangement.numChannels = NOutChannels();
  CreateLatencyDelay();
  SetBlockSize(1024);
}

IPlugVST::~IPlugVST() {
  mEffect->object = nullptr;
  try {
    RetiredRecords& retired = Retired();
    std::lock_guard<std::mutex> lock(retired.mutex);
    retired.records.emplace_back(mEffect);
  } catch (...) {
    // Out of memory: the record is leaked rather than freed under a host that may still call it.
  }
}

IPlugVST* IPlugVST::FromEffect(AEffect* effect) noexcept {
  if (!effect || effect->magic != kEffectMagic) return nullptr;
  return static_cast<IPlugVST*>(effect->object);
}

// ---- Host callbacks into the plug-in -------------------------------------------------------

VstIntPtr IPlugVST::Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
  IPlugVST* plug = FromEffect(effect);
  if (!plug) return 0;
  try {
    if (opcode == effClose) {
      {
        std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
        effect->object = nullptr;
      }
      delete plug;  // the lock is released: it belongs to the object being destroyed
      return 0;
    }
    std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
    return plug->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;
  }
}

void IPlugVST::Process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (IPlugVST* plug = FromEffect(effect)) {
    std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
    plug->RenderFloat(inputs, outputs, frames, true);
  }
}

void IPlugVST::ProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (IPlugVST* plug = FromEffect(effect)) {
    std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
    plug->RenderFloat(inputs, outputs, frames, false);
  }
}

void IPlugVST::ProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
  IPlugVST* plug = FromEffect(effect);
  if (!plug || frames <= 0) return;
  std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
  plug->BeginBlock();
  if (plug->IsBypassed()) {
    plug->BypassDouble(inputs, plug->NInChannels(), outputs, plug->NOutChannels(), frames);
  } else {
    plug->RenderDouble(inputs, plug->NInChannels(), outputs, plug->NOutChannels(), frames);
  }
  plug->mInAudioCallback = false;
}

void IPlugVST::RenderFloat(float** inputs, float** outputs, VstInt32 frames, bool accumulate) noexcept {
  if (frames <= 0) return;
  BeginBlock();
  BindHostInputs(0, NInChannels(), inputs, frames);
  BindHostOutputs(0, NOutChannels(), outputs);
  if (IsBypassed()) {
    BypassBuffers(frames, accumulate);
  } else {
    RenderAndConvert(frames, accumulate);
  }
  mInAudioCallback = false;
}

void IPlugVST::BeginBlock() noexcept {
  mInAudioCallback = true;
  mProcessLevelKnown = false;
  if (DoesMidi()) HostCall(audioMasterWantMidi, 0, 1);
}

void IPlugVST::SetParameter(AEffect* effect, VstInt32 index, float value) {
  IPlugVST* plug = FromEffect(effect);
  if (!plug || !std::isfinite(value)) return;
  std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
  PlugParam* param = plug->GetParam(index);
  if (!param) return;
  const double normalized = std::clamp(static_cast<double>(value), 0.0, 1.0);
  if (IGraphics* graphics = plug->Graphics()) graphics->PushParamToControls(index, normalized, true);
  param->SetFromNormalized(normalized);
  try {
    plug->HandleParamChange(index);  // may read or write a preset file
  } catch (...) {
  }
}

float IPlugVST::GetParameter(AEffect* effect, VstInt32 index) {
  IPlugVST* plug = FromEffect(effect);
  if (!plug) return 0.0f;
  std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
  const PlugParam* param = plug->GetParam(index);
  return param ? static_cast<float>(param->CurrentNormalized()) : 0.0f;
}

// ---- The dispatcher ------------------------------------------------------------------------

VstIntPtr IPlugVST::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      InitForHost();
      for (int i = 0; i < NParams(); ++i) HandleParamChange(i);
      return 0;
    case effSetProgram: {
      const int program = ToIndex(value);
      if (program < 0 || program >= NPrograms()) return 0;
      if (!DoesStateChunks()) ModifyCurrentPreset();
      RestoreProgram(program);
      return 0;
    }
    case effGetProgram:
      return CurrentProgram();
    case effSetProgramName:
      if (text) {
        char name[kProgramNameBytes];
        CopyFixedText(name, text);
        ModifyCurrentPreset(name);
        OnProgramRestored();
      }
      return 0;
    case effGetProgramName:
      if (text) CopyFixedText(text, kProgramNameBytes, ProgramName(CurrentProgram()));
      return 0;
    case effGetParamLabel:
      if (const PlugParam* param = GetParam(index); param && text) {
        CopyFixedText(text, kParamTextBytes, param->DisplayLabel());
      }
      return 0;
    case effGetParamDisplay:
      if (const PlugParam* param = GetParam(index); param && text) param->FormatDisplay(text, kParamTextBytes);
      return 0;
    case effGetParamName:
      if (const PlugParam* param = GetParam(index); param && text) CopyFixedText(text, kParamTextBytes, param->Name());
      return 0;
    case effSetSampleRate:
      if (std::isfinite(opt) && opt > 0.0f) {
        SetSampleRate(opt);
        OnReset();
      }
      return 0;
    case effSetBlockSize:
      if (value > 0 && value <= kMaxBlockSize) {
        SetBlockSize(static_cast<int>(value));
        OnReset();
      }
      return 0;
    case effMainsChanged:
      OnActiveChanged(value != 0);
      if (value == 0) OnReset();
      return 0;
    case effEditGetRect:
      if (!ptr || !HasEditorWindow()) return 0;
      *static_cast<ERect**>(ptr) = &mEditorRect;
      return 1;
    case effEditOpen:
      if (!HasEditorWindow() || !Graphics()->OpenEditorWindow(ptr)) return 0;
      OnEditorOpen();
      return 1;
    case effEditIdle:
      if (HasEditorWindow()) EditorIdle(Graphics());
      return 0;
    case effEditClose:
      if (!HasEditorWindow()) return 0;
      OnEditorClose();
      Graphics()->CloseEditorWindow();
      return 1;
    case effIdentify:
      return kVstIdentifyAnswer;
    case effGetChunk:
      return GetChunk(index != 0, static_cast<void**>(ptr));
    case effSetChunk:
      return SetChunk(index != 0, value, ptr);
    case effProcessEvents:
      return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated:
      return GetParam(index) ? 1 : 0;
    case effString2Parameter:
      return StringToParameter(index, text);
    case effGetProgramNameIndexed:
      if (!text) return 0;
      CopyFixedText(text, kProgramNameBytes, ProgramName(index));
      return text[0] != '\0' ? 1 : 0;
    case effGetInputProperties:
      return PinProperties(true, index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
      return PinProperties(false, index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
      return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
      SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                            static_cast<const VstSpeakerArrangement*>(ptr));
      return 1;
    case effGetEffectName:
      if (!text) return 0;
      CopyFixedText(text, kEffectNameBytes, EffectName());
      return 1;
    case effGetVendorString:
      if (!text) return 0;
      CopyFixedText(text, kVendorTextBytes, MakerName());
      return 1;
    case effGetProductString:
      if (!text) return 0;
      CopyFixedText(text, kVendorTextBytes, ProductName());
      return 1;
    case effGetVendorVersion:
      return VendorVersion(Version());
    case effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return CanDo(text);
    case effGetTailSize:
      return 0;  // the core keeps no tail length: the host's default applies
    case effGetVstVersion:
      return kVstVersion;
    case effGetMidiKeyName: {
      auto* key = static_cast<VstMidiKeyName*>(ptr);
      if (!key) return 0;
      key->keyName[0] = '\0';
      if (key->thisKeyNumber < 0 || key->thisKeyNumber > 127) return 0;
      return MidiNoteText(key->thisKeyNumber, key->keyName, sizeof key->keyName) ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &mInputArrangement;
      if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &mOutputArrangement;
      return 1;
    default:
      return 0;  // effIdle and everything this plug-in does not answer
  }
}

VstIntPtr IPlugVST::ProcessEvents(const VstEvents* events) noexcept {
  if (!events || events->numEvents < 0) return 0;
  // Offsets outside the block are clamped into it (the host's block is at most BlockSize long).
  const int lastFrame = std::max(BlockSize() - 1, 0);
  for (int i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = events->events[i];
    if (!event) continue;
    const int32_t offset = std::clamp(event->deltaFrames, 0, lastFrame);
    if (event->type == kVstMidiType && event->byteSize >= kMinMidiEventBytes) {
      const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
      MidiMessage message;
      message.offset = offset;
      message.status = static_cast<uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<uint8_t>(midi->midiData[2]);
      HandleMidiMessage(message);
    } else if (event->type == kVstSysExType && event->byteSize >= kMinSysExEventBytes) {
      const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      if (sysex->dumpBytes < 0 || (sysex->dumpBytes > 0 && !sysex->sysexDump)) continue;
      SysExMessage message;
      message.offset = offset;
      message.size = sysex->dumpBytes;
      message.data = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
      HandleSysEx(message);
    }
  }
  return 1;
}

VstIntPtr IPlugVST::GetChunk(bool program, void** data) {
  if (!data) return 0;
  StateChunk& chunk = program ? mProgramChunk : mBankChunk;
  chunk.WriteChunkHeader();
  bool ok;
  if (program) {
    ok = WriteStateChunk(chunk);
  } else {
    ModifyCurrentPreset();
    ok = SerializePresets(chunk);
  }
  if (!ok || chunk.Size() <= kChunkHeaderBytes) return 0;
  *data = const_cast<uint8_t*>(chunk.Data());
  return chunk.Size();
}

VstIntPtr IPlugVST::SetChunk(bool program, VstIntPtr size, const void* data) {
  if (!data || size < kChunkHeaderBytes || size > kMaxChunkBytes) return 0;
  StateChunk& chunk = program ? mProgramChunk : mBankChunk;
  chunk.Clear();
  if (chunk.PutBytes(data, static_cast<int>(size)) != size) return 0;
  int pos = 0;
  const int version = chunk.ReadChunkHeader(&pos);
  if (pos < 0) return 0;
  if (program || version < StateChunk::kChunkVersion) {
    // A program, or older data without the bank layout: one plug-in state.
    pos = ReadStateChunk(chunk, pos);
    if (pos < 0) return 0;  // nothing restored: the current program keeps what it held
    ModifyCurrentPreset();
  } else {
    pos = UnserializePresets(chunk, pos);
    if (pos < 0) return 0;
  }
  RefreshEditorFromParams();
  return 1;
}

VstIntPtr IPlugVST::StringToParameter(int index, const char* text) {
  PlugParam* param = GetParam(index);
  if (!param) return 0;
  if (!text) return 1;
  // Display texts are held at most 31 characters long, so a host's cut copy is the whole text.
  double value = 0.0;
  if (!param->ParseDisplay(text, &value)) return 0;
  if (IGraphics* graphics = Graphics()) graphics->PushParamToControls(index, value, false);
  param->SetValue(value);
  HandleParamChange(index);
  return 1;
}

VstIntPtr IPlugVST::VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (index == 7) {
    // The display text a parameter would show for the normalised value opt.
    if (!ptr) return 0;
    if (const PlugParam* param = GetParam(ToIndex(value)); param && std::isfinite(opt)) {
      param->FormatDisplay(std::clamp(static_cast<double>(opt), 0.0, 1.0), true, static_cast<char*>(ptr),
                           kParamTextBytes, true);
    }
    return kVendorSpecificYes;
  }
  if (index == 8) {
    // Whether a parameter moves in steps.
    const PlugParam* param = GetParam(ToIndex(value));
    return param && param->Type() != kParamDouble ? kVendorSpecificYes : 0;
  }
  return 0;
}

VstIntPtr IPlugVST::CanDo(const char* text) {
  if (!text) return 0;
  if (std::strcmp(text, "receiveVstTimeInfo") == 0) return 1;
  static const char* const kMidiAbilities[] = {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                               "receiveVstMidiEvent"};
  for (const char* ability : kMidiAbilities) {
    if (std::strcmp(text, ability) == 0) return DoesMidi() ? 1 : 0;
  }
  if (std::strcmp(text, "hasCockosExtensions") == 0) {
    mHostExtensions |= 1;
    return kCanDoCockos;
  }
  if (std::strcmp(text, "hasCockosViewAsConfig") == 0) {
    mHostExtensions |= 2;
    return kCanDoCockos;
  }
  return 0;
}

VstIntPtr IPlugVST::PinProperties(bool input, int index, VstPinProperties* pin) const noexcept {
  const int count = input ? NInChannels() : NOutChannels();
  if (!pin || index < 0 || index >= count) return 0;
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index + 1 < count) pin->flags |= kVstPinIsStereo;
  const char* label = input ? InputLabel(index) : OutputLabel(index);
  if (label && label[0] != '\0') {
    CopyFixedText(pin->label, label);
  } else {
    std::snprintf(pin->label, sizeof pin->label, "%s %d", input ? "Input" : "Output", index + 1);
  }
  return 1;
}

void IPlugVST::SetSpeakerArrangement(const VstSpeakerArrangement* in, const VstSpeakerArrangement* out) noexcept {
  if (in) {
    const int n = std::max(in->numChannels, 0);
    for (int i = 0; i < NInChannels(); ++i) SetInputConnected(i, i < n);
  }
  if (out) {
    const int n = std::max(out->numChannels, 0);
    for (int i = 0; i < NOutChannels(); ++i) SetOutputConnected(i, i < n);
  }
}

// Only a module with a window layer (it installs its factory at load) can show the editor; the
// offscreen surface answers "no editor".
bool IPlugVST::HasEditorWindow() const noexcept { return EditorGraphicsHasWindow() && Graphics() != nullptr; }

// ---- Requests to the host ------------------------------------------------------------------

VstIntPtr IPlugVST::HostCall(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) noexcept {
  return mHostCallback ? mHostCallback(mEffect, opcode, index, value, ptr, opt) : 0;
}

const VstTimeInfo* IPlugVST::HostTimeInfoFor(VstInt32 filter) noexcept {
  return reinterpret_cast<const VstTimeInfo*>(HostCall(audioMasterGetTime, 0, filter));
}

void IPlugVST::BeginParamGesture(int paramIdx) { HostCall(audioMasterBeginEdit, paramIdx); }

void IPlugVST::NotifyHostParamValue(int paramIdx, double normalized) {
  HostCall(audioMasterAutomate, paramIdx, 0, nullptr, static_cast<float>(normalized));
}

void IPlugVST::EndParamGesture(int paramIdx) { HostCall(audioMasterEndEdit, paramIdx); }

void IPlugVST::NotifyHostProgramChange() { HostCall(audioMasterUpdateDisplay); }

bool IPlugVST::IsRenderingOffline() {
  if (mInAudioCallback && mProcessLevelKnown) return mOffline;
  const bool offline = HostCall(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
  if (mInAudioCallback) {
    mOffline = offline;
    mProcessLevelKnown = true;
  }
  return offline;
}

int IPlugVST::HostSamplePos() {
  const VstTimeInfo* time = HostTimeInfoFor(0);
  if (!time || !(time->samplePos >= 0.0)) return 0;
  return static_cast<int>(std::min(time->samplePos + 0.5, static_cast<double>(INT_MAX)));
}

double IPlugVST::HostTempo() {
  const VstTimeInfo* time = HostTimeInfoFor(kVstTempoValid);
  if (!time || !(time->flags & kVstTempoValid) || !(time->tempo >= 0.0) || !std::isfinite(time->tempo)) return 0.0;
  return time->tempo;
}

void IPlugVST::HostTimeSig(int* numerator, int* denominator) {
  const VstTimeInfo* time = HostTimeInfoFor(kVstTimeSigValid);
  const bool valid = time && (time->flags & kVstTimeSigValid) && time->timeSigNumerator >= 0 &&
                     time->timeSigDenominator >= 0;
  if (numerator) *numerator = valid ? time->timeSigNumerator : 0;
  if (denominator) *denominator = valid ? time->timeSigDenominator : 0;
}

void IPlugVST::HostTime(HostTimeInfo* info) {
  if (!info) return;
  const VstTimeInfo* time = HostTimeInfoFor(kHostTimeFilter);
  if (!time || !(time->flags & kHostTimeFilter)) return;
  const VstInt32 flags = time->flags;
  if (std::isfinite(time->samplePos)) info->samplePos = time->samplePos;
  if ((flags & kVstPpqPosValid) && time->ppqPos >= 0.0) info->ppqPos = time->ppqPos;
  if ((flags & kVstTempoValid) && time->tempo > 0.0 && std::isfinite(time->tempo)) info->tempo = time->tempo;
  if ((flags & kVstBarsValid) && time->barStartPos >= 0.0) info->lastBarPos = time->barStartPos;
  if ((flags & kVstCyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0) {
    info->cycleStart = time->cycleStartPos;
    info->cycleEnd = time->cycleEndPos;
  }
  if ((flags & kVstTimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0) {
    info->numerator = time->timeSigNumerator;
    info->denominator = time->timeSigDenominator;
  }
  info->transportIsRunning = (flags & kVstTransportPlaying) != 0;
  info->loopEnabled = (flags & kVstTransportCycleActive) != 0;
}

HostKind IPlugVST::CurrentHostKind() {
  const HostKind known = IPlugBase::CurrentHostKind();
  if (known != kHostUninit) return known;
  // Hosts write up to 63 characters; the rest of the buffer is room for one that writes more.
  char product[256] = {};
  HostCall(audioMasterGetProductString, 0, 0, product);
  product[sizeof product - 1] = '\0';
  int version = 0;
  if (product[0] != '\0') {
    // major * 10000 + minor * 100 + patch, repacked as major << 16 | minor << 8 | patch.
    const VstIntPtr v = HostCall(audioMasterGetVendorVersion);
    if (v > 0 && v <= 0x7FFF * 10000 + 9999) {
      version = static_cast<int>((v / 10000) << 16 | (v % 10000 / 100) << 8 | v % 100);
    }
  }
  const HostKind kind = IdentifyHost(product);
  SetHostIdentity(kind, version);
  return kind;
}

void IPlugVST::EditorResized(int width, int height) {
  if (!Graphics()) return;
  mEditorRect = ERect{0, 0, ToRectCoordinate(height), ToRectCoordinate(width)};
  OnWindowResized();
}

void IPlugVST::InitForHost() {
  if (mHostSetUpDone) return;
  mHostSetUpDone = true;
  const HostKind host = CurrentHostKind();
  if (host == kHostForte || host == kHostAudition || host == kHostOrion || host == kHostSawStudio) {
    // These hosts hand only a stereo pair in but expect every output.
    for (int i = 2; i < NInChannels(); ++i) SetInputConnected(i, false);
    if (NOutChannels() >= 3) {
      for (int i = 2; i < NOutChannels(); ++i) SetOutputConnected(i, true);
    }
  }
  mEffect->numInputs = NInChannels();
  mEffect->numOutputs = NOutChannels();
  mInputArrangement.numChannels = NInChannels();
  mOutputArrangement.numChannels = NOutChannels();
  AfterHostKnown();
}

void IPlugVST::ConnectEditor(IGraphics* graphics) {
  if (!graphics) return;
  IPlugBase::ConnectEditor(graphics);
  if (IGraphics* surface = Graphics()) {
    mEditorRect = ERect{0, 0, ToRectCoordinate(surface->Height()), ToRectCoordinate(surface->Width())};
  }
  if (HasEditorWindow()) mEffect->flags |= effFlagsHasEditor;
}

void IPlugVST::SetLatency(int samples) {
  IPlugBase::SetLatency(samples);
  mEffect->initialDelay = Latency();
}

bool IPlugVST::SendMidiMessage(const MidiMessage& message) {
  VstMidiEvent event = {};
  event.type = kVstMidiType;
  event.byteSize = static_cast<VstInt32>(sizeof event);
  event.deltaFrames = message.offset;
  event.midiData[0] = static_cast<char>(message.status);
  event.midiData[1] = static_cast<char>(message.data1);
  event.midiData[2] = static_cast<char>(message.data2);
  VstEvents events = {};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  return HostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IPlugVST::SendSysExMessage(const SysExMessage& message) {
  VstMidiSysexEvent event = {};
  event.type = kVstSysExType;
  event.byteSize = static_cast<VstInt32>(sizeof event);
  event.deltaFrames = message.offset;
  event.dumpBytes = message.size;
  event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(message.data));
  VstEvents events = {};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  return HostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}
