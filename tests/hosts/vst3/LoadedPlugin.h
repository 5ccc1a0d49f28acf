// One instance of the built module, created and initialised the way a host does it: load the
// module file from the bundle, GetPluginFactory, createInstance, initialize with a host context.
#pragma once

#include "HostObjects.h"
#include "ModuleLoader.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <string>

// The module file inside the bundle, set by the build.
std::string ModulePath();
// The module, loaded once per test program.
ModuleLoader& Module();
Steinberg::IPluginFactory* AcquireFactory();  // one reference for the caller
const Steinberg::TUID& SylvaneCid();

struct LoadedPlugin {
  LoadedPlugin();
  ~LoadedPlugin();
  // setupProcessing + setActive(true).
  Steinberg::tresult Setup(Steinberg::int32 sampleSize, int maxBlock, double rate = 44100.0,
                           Steinberg::int32 mode = Steinberg::Vst::kRealtime);

  HostApplication* host = nullptr;
  Steinberg::Vst::IComponent* component = nullptr;
  Steinberg::Vst::IAudioProcessor* processor = nullptr;
  Steinberg::Vst::IEditController* controller = nullptr;
  Steinberg::Vst::IUnitInfo* units = nullptr;
  Steinberg::tresult initResult = Steinberg::kResultFalse;
};
