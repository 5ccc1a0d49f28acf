#include "LoadedPlugin.h"

#include <cstdlib>

using namespace Steinberg;
using namespace Steinberg::Vst;

std::string ModulePath() { return SYLVANE_VST3_MODULE_PATH; }

ModuleLoader& Module() {
  static ModuleLoader loader(ModulePath());
  return loader;
}

IPluginFactory* AcquireFactory() {
  using GetFactoryProc = IPluginFactory* (PLUGIN_API*)();
  auto get = reinterpret_cast<GetFactoryProc>(Module().Symbol("GetPluginFactory"));
  return get ? get() : nullptr;
}

const TUID& SylvaneCid() {
  static const TUID cid = {0x0D, static_cast<int8>(0xE7), static_cast<int8>(0xAE), static_cast<int8>(0xF2),
                           static_cast<int8>(0xDE), 0x00, 0x4E, 0x4F, 'K', 'r', 'v', 'l', 'K', 's', 'w', '1'};
  return cid;
}

LoadedPlugin::LoadedPlugin() {
  IPluginFactory* factory = AcquireFactory();
  if (factory == nullptr) return;
  void* obj = nullptr;
  if (factory->createInstance(SylvaneCid(), IComponent::iid, &obj) == kResultOk) component = static_cast<IComponent*>(obj);
  factory->release();
  if (component == nullptr) return;
  component->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&processor));
  component->queryInterface(IEditController::iid, reinterpret_cast<void**>(&controller));
  component->queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units));
  host = new HostApplication("Sylvane Test Host");
  initResult = component->initialize(host->Context());
}

LoadedPlugin::~LoadedPlugin() {
  if (component) {
    component->setActive(false);
    component->terminate();
  }
  for (FUnknown* unknown : {static_cast<FUnknown*>(units), static_cast<FUnknown*>(controller),
                            static_cast<FUnknown*>(processor), static_cast<FUnknown*>(component)}) {
    if (unknown) unknown->release();
  }
  if (host) host->release();
}

tresult LoadedPlugin::Setup(int32 sampleSize, int maxBlock, double rate, int32 mode) {
  ProcessSetup setup{mode, sampleSize, maxBlock, rate};
  const tresult result = processor->setupProcessing(setup);
  component->setActive(true);
  return result;
}
