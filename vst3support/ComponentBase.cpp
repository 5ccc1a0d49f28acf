#include "vst3support/ComponentBase.h"

#include "pluginterfaces/vst/ivstattributes.h"

#include <cstring>

namespace vst3support {

using namespace Steinberg;
using namespace Steinberg::Vst;

bool IsName(const char* name, const char* own) noexcept { return name != nullptr && std::strcmp(name, own) == 0; }

ComponentBase::~ComponentBase() { terminate(); }

tresult PLUGIN_API ComponentBase::initialize(FUnknown* context) {
  if (context == nullptr) return kInvalidArgument;
  if (mHostContext != nullptr) return kResultFalse;
  context->addRef();
  mHostContext = context;
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::terminate() {
  if (mPeer != nullptr) {
    mPeer->release();
    mPeer = nullptr;
  }
  if (mHostContext != nullptr) {
    mHostContext->release();
    mHostContext = nullptr;
  }
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::connect(IConnectionPoint* other) {
  if (other == nullptr) return kInvalidArgument;
  if (mPeer != nullptr) return kResultFalse;
  other->addRef();
  mPeer = other;
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::disconnect(IConnectionPoint* other) {
  if (other == nullptr) return kInvalidArgument;
  if (other != mPeer) return kResultFalse;
  mPeer->release();
  mPeer = nullptr;
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::notify(IMessage* message) {
  if (message == nullptr) return kInvalidArgument;
  const char* id = message->getMessageID();
  if (id == nullptr || std::strcmp(id, "TextMessage") != 0) return kResultFalse;
  if (IAttributeList* attributes = message->getAttributes()) {
    TChar text[128] = {};
    attributes->getString("Text", text, sizeof text - sizeof(TChar));
  }
  return kResultOk;
}

tresult PLUGIN_API ComponentBase::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (Answer(iid, IPluginBase::iid, static_cast<IPluginBase*>(this), obj)) return kResultOk;
  if (Answer(iid, IConnectionPoint::iid, static_cast<IConnectionPoint*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

bool ComponentBase::IsTypeOf(const char* name) const noexcept {
  return IsName(name, "ComponentBase") || FObject::IsTypeOf(name);
}

}  // namespace vst3support
