// Windows: the editor window runs on its own window messages; nothing to link to the host.
#include "hosts/vst3/IPlugVST3View.h"

const char* NativeViewPlatformType() noexcept { return Steinberg::kPlatformTypeHWND; }

std::unique_ptr<ViewPlatformLink> LinkViewToHost(IGraphics* /*graphics*/, Steinberg::IPlugFrame* /*frame*/) {
  return nullptr;
}
