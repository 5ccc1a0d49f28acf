// The module's class factory and the exports every platform shares: GetPluginFactory, InitDll,
// ExitDll. One class, a single component that is processor and controller at once.
#include "gui/EditorGraphicsFactory.h"
#include "hosts/vst3/ModuleHandle.h"
#include "instrument/Sylvane.h"
#include "vst3support/CPluginFactory.h"
#include "vst3support/FUID.h"
#include "vst3support/String.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

using namespace Steinberg;

namespace {

std::atomic<void*> gModuleHandle{nullptr};
std::atomic<void*> gEditorModuleHandle{nullptr};

// The class ID: 0D E7 AE F2 DE 00 4E 4F, then the maker code, then the plug-in code.
vst3support::FUID SylvaneClassId() noexcept {
  return vst3support::FUID::FromWindowsLongs(0xF2AEE70Du, 0x00DE4F4Eu, static_cast<uint32_t>(FourCharCode("Krvl")),
                                             static_cast<uint32_t>(FourCharCode("Ksw1")));
}

std::mutex& CreationLock() {
  static std::mutex lock;
  return lock;
}

FUnknown* CreateSylvane(void* /*context*/) {
  std::lock_guard<std::mutex> lock(CreationLock());
  try {
    auto* plug = new Sylvane(IPlugVST3::InstanceInfo{});
    return static_cast<Vst::IAudioProcessor*>(plug);
  } catch (...) {
    return nullptr;
  }
}

// The one factory of the process; its destruction clears the pointer so that a later
// GetPluginFactory builds a fresh one.
class ModuleFactory final : public vst3support::CPluginFactory {
 public:
  using CPluginFactory::CPluginFactory;
  ~ModuleFactory() override;
};

std::mutex gFactoryLock;
ModuleFactory* gFactory = nullptr;

ModuleFactory::~ModuleFactory() {
  std::lock_guard<std::mutex> lock(gFactoryLock);
  if (gFactory == this) gFactory = nullptr;
}

PFactoryInfo MakeFactoryInfo() {
  PFactoryInfo info;
  std::memset(static_cast<void*>(&info), 0, sizeof info);
  vst3support::String::Copy("KorvelAudio", info.vendor, PFactoryInfo::kNameSize);
  vst3support::String::Copy("https://korvelaudio.example/sylvane", info.url, PFactoryInfo::kURLSize);
  vst3support::String::Copy("support@korvelaudio.example", info.email, PFactoryInfo::kEmailSize);
  info.flags = PFactoryInfo::kUnicode;
  return info;
}

PClassInfo2 MakeClassInfo() {
  PClassInfo2 info;
  std::memset(static_cast<void*>(&info), 0, sizeof info);
  SylvaneClassId().CopyTo(info.cid);
  info.cardinality = PClassInfo::kManyInstances;
  vst3support::String::Copy("Audio Module Class", info.category, PClassInfo::kCategorySize);
  vst3support::String::Copy("Sylvane", info.name, PClassInfo::kNameSize);
  info.classFlags = Vst::kSimpleModeSupported;
  vst3support::String::Copy("Instrument|Synth", info.subCategories, PClassInfo2::kSubCategoriesSize);
  vst3support::String::Copy("1.0.2", info.version, PClassInfo2::kVersionSize);
  vst3support::String::Copy("VST 3.6.0", info.sdkVersion, PClassInfo2::kVersionSize);
  return info;
}

}  // namespace

void* RecordedModuleHandle() noexcept { return gModuleHandle.load(); }
void* EditorModuleHandle() noexcept { return gEditorModuleHandle.load(); }
void RecordModuleHandle(void* handle) noexcept {
  gModuleHandle.store(handle);
  SetEditorGraphicsModule(handle);  // where the editor surfaces find the module's images
}
void CopyModuleHandleForEditor() noexcept {
  gEditorModuleHandle.store(gModuleHandle.load());
  SetEditorGraphicsModule(gModuleHandle.load());
}

extern "C" {

SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory() {
  std::lock_guard<std::mutex> lock(gFactoryLock);
  if (gFactory != nullptr) {
    gFactory->addRef();
    return gFactory;
  }
  auto* factory = new (std::nothrow) ModuleFactory(MakeFactoryInfo());
  if (factory == nullptr) return nullptr;
  factory->RegisterClass(MakeClassInfo(), &CreateSylvane);
  gFactory = factory;
  return factory;
}

SMTG_EXPORT_SYMBOL bool InitDll() {
  CopyModuleHandleForEditor();
  return true;
}

SMTG_EXPORT_SYMBOL bool ExitDll() { return true; }

}  // extern "C"
