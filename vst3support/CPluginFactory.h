// The class factory a module hands the host: its PFactoryInfo and a table of registered classes,
// each kept as 8-bit and UTF-16 class information with the function that creates an instance.
// Reference counting is atomic; the factory itself takes no lock (classes are registered before
// the factory is handed out).
#pragma once

#include "vst3support/FObject.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <vector>

namespace vst3support {

class CPluginFactory : public FObject, public Steinberg::IPluginFactory3 {
 public:
  // Creates one instance and returns it with one reference, or null; any thread.
  using CreateFunction = Steinberg::FUnknown* (*)(void* context);

  explicit CPluginFactory(const Steinberg::PFactoryInfo& info);
  ~CPluginFactory() override;

  // Registers a class; the UTF-16 information is made from the 8-bit one. False (nothing
  // registered) when the table cannot grow or create is null.
  bool RegisterClass(const Steinberg::PClassInfo2& info, CreateFunction create, void* context = nullptr) noexcept;

  Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
  Steinberg::int32 PLUGIN_API countClasses() override;
  Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) override;
  Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index, Steinberg::PClassInfo2* info) override;
  Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index, Steinberg::PClassInfoW* info) override;
  // Creates the class `cid` and answers the interface `iid` of it; *obj = null and kNoInterface
  // for an unknown class or interface (a created instance is then released again).
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                               void** obj) override;
  Steinberg::tresult PLUGIN_API setHostContext(Steinberg::FUnknown* context) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  const char* ClassName() const noexcept override { return "CPluginFactory"; }

 private:
  struct ClassEntry {
    Steinberg::PClassInfo2 info;
    Steinberg::PClassInfoW infoW;
    CreateFunction create;
    void* context;
  };
  const ClassEntry* Entry(Steinberg::int32 index) const noexcept;

  Steinberg::PFactoryInfo mInfo;
  std::vector<ClassEntry> mClasses;
};

}  // namespace vst3support
