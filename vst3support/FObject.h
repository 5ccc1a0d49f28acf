// Reference counting and interface queries for our objects. An object starts with one reference
// (the creator's); release of the last one deletes it. A class that adds interfaces overrides
// queryInterface, answers its own identifiers and hands the rest to its base; IsTypeOf answers
// the run-time type tests by class name in the same way.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <atomic>

namespace vst3support {

class FObject : public Steinberg::FUnknown {
 public:
  FObject() = default;
  FObject(const FObject&) = delete;
  FObject& operator=(const FObject&) = delete;
  virtual ~FObject() = default;

  // Any thread. Answers FUnknown; anything else: *obj = null, kNoInterface. Null arguments give
  // kInvalidArgument.
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override;
  Steinberg::uint32 PLUGIN_API release() override;

  virtual const char* ClassName() const noexcept { return "FObject"; }
  virtual bool IsTypeOf(const char* name) const noexcept;
  Steinberg::uint32 RefCount() const noexcept { return mRefCount.load(); }

  // Answers iid with the interface pointer `self` (adding a reference) when iid equals `wanted`.
  // For the queryInterface overrides of derived classes.
  bool Answer(const Steinberg::TUID iid, const Steinberg::TUID wanted, void* self, void** obj);

 private:
  std::atomic<Steinberg::uint32> mRefCount{1};
};

// True when both are non-null and name the same interface.
bool SameIid(const Steinberg::TUID a, const Steinberg::TUID b) noexcept;

}  // namespace vst3support
