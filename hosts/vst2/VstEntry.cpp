// The module's entry: one instrument per call, handed to the host as its effect record. The
// exported names (VSTPluginMain and the legacy alias main) are set by the link: a definition
// file on Windows, a version script on Linux.
#include "hosts/vst2/VstEntry.h"

#include "instrument/Sylvane.h"

#include <mutex>
#include <algorithm>
#include <new>

extern "C" AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
  // Instances are constructed one after the other, whichever host threads ask.
  static std::mutex creationLock;
  std::lock_guard<std::mutex> lock(creationLock);
  try {
    Sylvane::InstanceInfo info;
    info.hostCallback = hostCallback;
    auto* plug = new Sylvane(info);
    plug->MakeDefaultPrograms(nullptr, plug->NPrograms());
    AEffect* effect = plug->Effect();
    effect->numPrograms = std::max(effect->numPrograms, 1);
    return effect;
  } catch (...) {
    return nullptr;
  }
}
