#include "HostObjects.h"

#include "vst3support/String.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

tresult PLUGIN_API HostApplication::getName(String128 name) {
  vst3support::String::Widen(mName.c_str(), name, 128);
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID, TUID, void** obj) {
  if (obj) *obj = nullptr;
  return kNotImplemented;
}

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj) {
  if (obj && Answer(iid, IHostApplication::iid, static_cast<IHostApplication*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  size_t n = std::min(static_cast<size_t>(std::max(numBytes, 0)), mBytes.size() - mPos);
  if (mMaxChunk > 0) n = std::min(n, static_cast<size_t>(mMaxChunk));
  if (n > 0) std::memcpy(buffer, mBytes.data() + mPos, n);
  mPos += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytes < 0 || buffer == nullptr) return kInvalidArgument;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  mBytes.insert(mBytes.end(), bytes, bytes + numBytes);
  mPos = mBytes.size();
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  const int64 base = mode == kIBSeekSet ? 0 : (mode == kIBSeekCur ? static_cast<int64>(mPos) : static_cast<int64>(mBytes.size()));
  const int64 target = base + pos;
  if (target < 0 || target > static_cast<int64>(mBytes.size())) return kResultFalse;
  mPos = static_cast<size_t>(target);
  if (result) *result = target;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos) {
  if (pos == nullptr) return kInvalidArgument;
  *pos = static_cast<int64>(mPos);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::queryInterface(const TUID iid, void** obj) {
  if (obj && Answer(iid, IBStream::iid, static_cast<IBStream*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

tresult PLUGIN_API ParamQueue::getPoint(int32 index, int32& offset, ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return kResultFalse;
  offset = mPoints[static_cast<size_t>(index)].first;
  value = mPoints[static_cast<size_t>(index)].second;
  return kResultOk;
}

tresult PLUGIN_API ParamQueue::addPoint(int32 offset, ParamValue value, int32& index) {
  mPoints.emplace_back(offset, value);
  index = getPointCount() - 1;
  return kResultOk;
}

tresult PLUGIN_API ParamQueue::queryInterface(const TUID iid, void** obj) {
  if (obj && Answer(iid, IParamValueQueue::iid, static_cast<IParamValueQueue*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

ParamChanges::~ParamChanges() { Clear(); }

void ParamChanges::Add(ParamID id, double value, int32 offset) {
  int32 index = 0;
  IParamValueQueue* queue = addParameterData(id, index);
  queue->addPoint(offset, value, index);
}

void ParamChanges::Clear() {
  for (ParamQueue* queue : mQueues) queue->release();
  mQueues.clear();
}

IParamValueQueue* PLUGIN_API ParamChanges::getParameterData(int32 index) {
  return index >= 0 && index < getParameterCount() ? mQueues[static_cast<size_t>(index)] : nullptr;
}

IParamValueQueue* PLUGIN_API ParamChanges::addParameterData(const ParamID& id, int32& index) {
  for (size_t i = 0; i < mQueues.size(); ++i) {
    if (mQueues[i]->getParameterId() == id) {
      index = static_cast<int32>(i);
      return mQueues[i];
    }
  }
  mQueues.push_back(new ParamQueue(id));
  index = getParameterCount() - 1;
  return mQueues.back();
}

tresult PLUGIN_API ParamChanges::queryInterface(const TUID iid, void** obj) {
  if (obj && Answer(iid, IParameterChanges::iid, static_cast<IParameterChanges*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

void EventList::NoteOn(int offset, int pitch, float velocity, int channel) {
  Event e{};
  e.type = Event::kNoteOnEvent;
  e.sampleOffset = offset;
  e.noteOn.channel = static_cast<int16>(channel);
  e.noteOn.pitch = static_cast<int16>(pitch);
  e.noteOn.velocity = velocity;
  e.noteOn.noteId = -1;
  mEvents.push_back(e);
}

void EventList::NoteOff(int offset, int pitch, int channel) {
  Event e{};
  e.type = Event::kNoteOffEvent;
  e.sampleOffset = offset;
  e.noteOff.channel = static_cast<int16>(channel);
  e.noteOff.pitch = static_cast<int16>(pitch);
  e.noteOff.noteId = -1;
  mEvents.push_back(e);
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e) {
  if (index < 0 || index >= getEventCount()) return kInvalidArgument;
  e = mEvents[static_cast<size_t>(index)];
  return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e) {
  mEvents.push_back(e);
  return kResultOk;
}

tresult PLUGIN_API EventList::queryInterface(const TUID iid, void** obj) {
  if (obj && Answer(iid, IEventList::iid, static_cast<IEventList*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id) {
  calls.push_back("b" + std::to_string(id));
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue value) {
  calls.push_back("p" + std::to_string(id) + "=" + std::to_string(value));
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id) {
  calls.push_back("e" + std::to_string(id));
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags) {
  calls.push_back("r" + std::to_string(flags));
  return kResultOk;
}

namespace {
// A host menu that only records where it was asked to pop up.
class RecordingMenu : public vst3support::FObject, public IContextMenu {
 public:
  explicit RecordingMenu(std::vector<std::string>* calls) : mCalls(calls) {}
  int32 PLUGIN_API getItemCount() override { return 0; }
  tresult PLUGIN_API getItem(int32, Item&, IContextMenuTarget**) override { return kResultFalse; }
  tresult PLUGIN_API addItem(const Item&, IContextMenuTarget*) override { return kResultOk; }
  tresult PLUGIN_API removeItem(const Item&, IContextMenuTarget*) override { return kResultOk; }
  tresult PLUGIN_API popup(UCoord x, UCoord y) override {
    mCalls->push_back("popup " + std::to_string(x) + "," + std::to_string(y));
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (obj && Answer(iid, IContextMenu::iid, static_cast<IContextMenu*>(this), obj)) return kResultOk;
    return FObject::queryInterface(iid, obj);
  }
  uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  uint32 PLUGIN_API release() override { return FObject::release(); }

 private:
  std::vector<std::string>* mCalls;
};
}  // namespace

IContextMenu* PLUGIN_API ComponentHandler::createContextMenu(IPlugView* plugView, const ParamID* paramID) {
  menuView = plugView;
  calls.push_back("m" + (paramID ? std::to_string(*paramID) : std::string("-")));
  return new RecordingMenu(&calls);
}

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj) {
  if (obj && Answer(iid, IComponentHandler::iid, static_cast<IComponentHandler*>(this), obj)) return kResultOk;
  if (obj && contextMenus && Answer(iid, IComponentHandler3::iid, static_cast<IComponentHandler3*>(this), obj)) {
    return kResultOk;
  }
  return FObject::queryInterface(iid, obj);
}
