// The base of a component: initialize keeps the host's context (one reference) until terminate,
// and one connection peer at a time is held. UI thread.
#pragma once

#include "vst3support/FObject.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstmessage.h"

namespace vst3support {

class ComponentBase : public FObject, public Steinberg::IPluginBase, public Steinberg::Vst::IConnectionPoint {
 public:
  ComponentBase() = default;
  ~ComponentBase() override;

  // kInvalidArgument for a null context, kResultFalse when a context is already held.
  Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  // Releases the context and the peer; kResultOk even when nothing was held.
  Steinberg::tresult PLUGIN_API terminate() override;

  // Holds `other` (a reference); kResultFalse when a peer is already held.
  Steinberg::tresult PLUGIN_API connect(Steinberg::Vst::IConnectionPoint* other) override;
  // Releases the peer when it is `other`; kResultFalse otherwise.
  Steinberg::tresult PLUGIN_API disconnect(Steinberg::Vst::IConnectionPoint* other) override;
  // Accepts "TextMessage" (its "Text" attribute is read and ignored); kResultFalse for others.
  Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  const char* ClassName() const noexcept override { return "ComponentBase"; }
  bool IsTypeOf(const char* name) const noexcept override;

  Steinberg::FUnknown* HostContext() const noexcept { return mHostContext; }
  Steinberg::Vst::IConnectionPoint* Peer() const noexcept { return mPeer; }

 private:
  Steinberg::FUnknown* mHostContext = nullptr;
  Steinberg::Vst::IConnectionPoint* mPeer = nullptr;
};

// True when `name` is the class's own; for IsTypeOf chains.
bool IsName(const char* name, const char* own) noexcept;

}  // namespace vst3support
