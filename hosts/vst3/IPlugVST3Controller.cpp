// The edit-controller and unit-information side of the VST 3 adapter: stored state, parameter
// values and texts, units and the program list.
#include "hosts/vst3/IPlugVST3.h"
#include "hosts/vst3/IPlugVST3View.h"
#include "gui/IGraphics.h"

#include "vst3support/String.h"

#include "pluginterfaces/base/ibstream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
constexpr int kBypassWordSize = 4;

// Reads until `size` bytes have arrived or the stream gives no more; returns the count read.
int32 ReadFully(IBStream* stream, uint8_t* out, int32 size) {
  int32 total = 0;
  while (total < size) {
    int32 got = 0;
    if (stream->read(out + total, size - total, &got) != kResultOk || got <= 0 || got > size - total) break;
    total += got;
  }
  return total;
}

// Writes until all `size` bytes are taken; false when the stream stops taking them.
bool WriteFully(IBStream* stream, const uint8_t* data, int32 size) {
  int32 total = 0;
  while (total < size) {
    int32 put = 0;
    if (stream->write(const_cast<uint8_t*>(data + total), size - total, &put) != kResultOk || put <= 0 ||
        put > size - total) {
      return false;
    }
    total += put;
  }
  return true;
}

double Clamp01(double v) noexcept { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
}  // namespace

tresult PLUGIN_API IPlugVST3::getState(IBStream* state) {
  if (state == nullptr) return kInvalidArgument;
  StateChunk chunk;
  bool bypassed = false;
  {
    std::lock_guard<std::recursive_mutex> lock(ParamLock());
    if (!WriteStateChunk(chunk) || chunk.Size() <= 0) return kResultFalse;
    bypassed = IsBypassed();
  }
  const uint8_t word[kBypassWordSize] = {static_cast<uint8_t>(bypassed ? 1 : 0), 0, 0, 0};
  if (!WriteFully(state, chunk.Data(), chunk.Size()) || !WriteFully(state, word, kBypassWordSize)) {
    return kResultFalse;
  }
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setState(IBStream* state) {
  if (state == nullptr) return kInvalidArgument;
  try {
    int32 stateSize = 0;
    {
      // The stored state carries no length: it is as long as the current state.
      StateChunk current;
      std::lock_guard<std::recursive_mutex> lock(ParamLock());
      if (!WriteStateChunk(current)) return kResultFalse;
      stateSize = current.Size();
    }
    if (stateSize <= 0) return kResultFalse;
    // Read everything first: a stream that ends early changes nothing.
    std::vector<uint8_t> bytes(static_cast<size_t>(stateSize) + kBypassWordSize);
    const int32 wanted = static_cast<int32>(bytes.size());
    if (ReadFully(state, bytes.data(), wanted) != wanted) return kResultFalse;
    StateChunk chunk;
    if (chunk.PutBytes(bytes.data(), stateSize) != stateSize) return kResultFalse;
    const uint8_t* word = bytes.data() + stateSize;
    const uint32_t bypassWord = word[0] | (word[1] << 8) | (word[2] << 16) | (static_cast<uint32_t>(word[3]) << 24);

    std::lock_guard<std::recursive_mutex> lock(ParamLock());
    if (ReadStateChunk(chunk, 0) < 0) return kResultFalse;
    SetBypass(bypassWord != 0);
    RefreshEditorFromParams();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::setComponentState(IBStream* /*state*/) { return kNotImplemented; }

tresult PLUGIN_API IPlugVST3::getParamStringByValue(ParamID id, ParamValue value, String128 string) {
  if (string == nullptr) return kInvalidArgument;
  const PlugParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (param == nullptr) return SingleComponentEffect::getParamStringByValue(id, value, string);
  if (!std::isfinite(value)) return kResultFalse;
  char text[128];
  param->FormatDisplay(Clamp01(value), true, text, sizeof text, true);
  vst3support::String::Widen(text, string, 128);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getParamValueByString(ParamID id, TChar* string, ParamValue& value) {
  if (string == nullptr) return kInvalidArgument;
  const PlugParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (param == nullptr) return SingleComponentEffect::getParamValueByString(id, string, value);
  char text[128];
  vst3support::String::ToUtf8(string, text, sizeof text);
  double plain = 0.0;
  if (!param->ParseDisplay(text, &plain) || !std::isfinite(plain)) return kResultFalse;
  value = param->ToNormalized(plain);
  return kResultOk;
}

ParamValue PLUGIN_API IPlugVST3::normalizedParamToPlain(ParamID id, ParamValue value) {
  const PlugParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (param == nullptr) return SingleComponentEffect::normalizedParamToPlain(id, value);
  if (!std::isfinite(value)) return param->Min();
  return param->Min() + std::pow(Clamp01(value), param->Shape()) * (param->Max() - param->Min());
}

ParamValue PLUGIN_API IPlugVST3::plainParamToNormalized(ParamID id, ParamValue plain) {
  const PlugParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  return param ? param->ToNormalized(plain) : plain;
}

ParamValue PLUGIN_API IPlugVST3::getParamNormalized(ParamID id) {
  if (id == kBypassParamId) return mBypassMirror.load(std::memory_order_relaxed) ? 1.0 : 0.0;
  if (id == kProgramParamId) return mProgramValue.load(std::memory_order_relaxed);
  const PlugParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  return param ? param->CurrentNormalized() : 0.0;
}

tresult PLUGIN_API IPlugVST3::setParamNormalized(ParamID id, ParamValue value) {
  PlugParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (param == nullptr || !std::isfinite(value)) return kResultFalse;
  param->SetFromNormalized(Clamp01(value));
  // The editor follows the host at once (lock-free; drawn on the next tick), not only when the
  // value reaches the core through a block: a host may change values while it is not processing.
  if (IGraphics* graphics = Graphics()) graphics->PushParamToControls(static_cast<int>(id), param->Value(), false);
  return kResultOk;
}

IPlugView* PLUGIN_API IPlugVST3::createView(FIDString name) {
  if (!name || std::strcmp(name, "editor") != 0 || !Graphics()) return nullptr;
  return new (std::nothrow) IPlugVST3View(this);
}

void IPlugVST3::AddView(IPlugVST3View* view) { mViews.push_back(view); }

void IPlugVST3::RemoveView(IPlugVST3View* view) noexcept {
  mViews.erase(std::remove(mViews.begin(), mViews.end(), view), mViews.end());
}

int32 PLUGIN_API IPlugVST3::getUnitCount() { return static_cast<int32>(mGroupNames.size()) + 1; }

tresult PLUGIN_API IPlugVST3::getUnitInfo(int32 unitIndex, UnitInfo& info) {
  if (unitIndex < 0 || unitIndex > static_cast<int32>(mGroupNames.size())) return kResultFalse;
  info.id = unitIndex;
  info.parentUnitId = unitIndex == 0 ? kNoParentUnitId : kRootUnitId;
  info.programListId = kNoProgramListId;
  vst3support::String::Widen(unitIndex == 0 ? "Root Unit" : mGroupNames[static_cast<size_t>(unitIndex - 1)].c_str(),
                             info.name, 128);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kResultFalse;
  info.id = kProgramListId;
  vst3support::String::Widen("Factory Presets", info.name, 128);
  info.programCount = NPrograms();
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name) {
  if (name == nullptr) return kInvalidArgument;
  if (listId != kProgramListId) return kResultFalse;
  vst3support::String::Widen(ProgramName(programIndex), name, 128);
  return kResultOk;
}
