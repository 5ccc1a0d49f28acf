#include "vst3support/FObject.h"

#include <cstring>

namespace vst3support {

bool SameIid(const Steinberg::TUID a, const Steinberg::TUID b) noexcept {
  return a != nullptr && b != nullptr && std::memcmp(a, b, sizeof(Steinberg::TUID)) == 0;
}

bool FObject::Answer(const Steinberg::TUID iid, const Steinberg::TUID wanted, void* self, void** obj) {
  if (!SameIid(iid, wanted)) return false;
  addRef();
  *obj = self;
  return true;
}

Steinberg::tresult PLUGIN_API FObject::queryInterface(const Steinberg::TUID iid, void** obj) {
  if (obj == nullptr) return Steinberg::kInvalidArgument;
  *obj = nullptr;
  if (iid == nullptr) return Steinberg::kInvalidArgument;
  if (Answer(iid, Steinberg::FUnknown::iid, static_cast<Steinberg::FUnknown*>(this), obj)) return Steinberg::kResultOk;
  return Steinberg::kNoInterface;
}

Steinberg::uint32 PLUGIN_API FObject::addRef() { return mRefCount.fetch_add(1) + 1; }

Steinberg::uint32 PLUGIN_API FObject::release() {
  const Steinberg::uint32 left = mRefCount.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return left;
}

bool FObject::IsTypeOf(const char* name) const noexcept {
  return name != nullptr && std::strcmp(name, "FObject") == 0;
}

}  // namespace vst3support
