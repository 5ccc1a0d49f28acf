// The host's side of the VST 3 interfaces for the tests: an application context, a memory
// stream that can hand out short reads, parameter-change queues, an event list and a component
// handler that records what the plug-in told it. All reference counted through FObject; create
// them on the stack only when nothing keeps a reference past the scope.
#pragma once

#include "vst3support/FObject.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class HostApplication : public vst3support::FObject, public Steinberg::Vst::IHostApplication {
 public:
  explicit HostApplication(const char* name) : mName(name) {}
  // The context a host hands initialize.
  Steinberg::FUnknown* Context() noexcept { return static_cast<Steinberg::Vst::IHostApplication*>(this); }
  Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID, Steinberg::TUID, void** obj) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }

 private:
  std::string mName;
};

// Reads hand out at most `maxChunk` bytes each (0: no limit); writes append.
class MemoryStream : public vst3support::FObject, public Steinberg::IBStream {
 public:
  explicit MemoryStream(std::vector<uint8_t> bytes = {}, int maxChunk = 0)
      : mBytes(std::move(bytes)), mMaxChunk(maxChunk) {}
  Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesRead) override;
  Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                      Steinberg::int32* numBytesWritten) override;
  Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode, Steinberg::int64* result) override;
  Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  const std::vector<uint8_t>& Bytes() const noexcept { return mBytes; }

 private:
  std::vector<uint8_t> mBytes;
  size_t mPos = 0;
  int mMaxChunk;
};

class ParamQueue : public vst3support::FObject, public Steinberg::Vst::IParamValueQueue {
 public:
  explicit ParamQueue(Steinberg::Vst::ParamID id) : mId(id) {}
  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return mId; }
  Steinberg::int32 PLUGIN_API getPointCount() override { return static_cast<Steinberg::int32>(mPoints.size()); }
  Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& offset,
                                         Steinberg::Vst::ParamValue& value) override;
  Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 offset, Steinberg::Vst::ParamValue value,
                                         Steinberg::int32& index) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }

 private:
  Steinberg::Vst::ParamID mId;
  std::vector<std::pair<Steinberg::int32, double>> mPoints;
};

class ParamChanges : public vst3support::FObject, public Steinberg::Vst::IParameterChanges {
 public:
  ~ParamChanges() override;
  // Adds one point to the queue of `id` (created on first use).
  void Add(Steinberg::Vst::ParamID id, double value, Steinberg::int32 offset = 0);
  void Clear();
  Steinberg::int32 PLUGIN_API getParameterCount() override { return static_cast<Steinberg::int32>(mQueues.size()); }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                Steinberg::int32& index) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }

 private:
  std::vector<ParamQueue*> mQueues;
};

class EventList : public vst3support::FObject, public Steinberg::Vst::IEventList {
 public:
  void NoteOn(int offset, int pitch, float velocity, int channel = 0);
  void NoteOff(int offset, int pitch, int channel = 0);
  void Clear() { mEvents.clear(); }
  Steinberg::int32 PLUGIN_API getEventCount() override { return static_cast<Steinberg::int32>(mEvents.size()); }
  Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& e) override;
  Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }

 private:
  std::vector<Steinberg::Vst::Event> mEvents;
};

// Records gestures as "b<id>", "p<id>=<value>", "e<id>" and restarts as "r<flags>". With
// contextMenus set it is also an IComponentHandler3: createContextMenu records "m<id>" (the
// view it was given is kept in menuView) and the menu's popup "popup <x>,<y>".
class ComponentHandler : public vst3support::FObject,
                         public Steinberg::Vst::IComponentHandler,
                         public Steinberg::Vst::IComponentHandler3 {
 public:
  Steinberg::Vst::IContextMenu* PLUGIN_API createContextMenu(Steinberg::IPlugView* plugView,
                                                             const Steinberg::Vst::ParamID* paramID) override;
  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override;
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  std::vector<std::string> calls;
  bool contextMenus = false;
  Steinberg::IPlugView* menuView = nullptr;
};
