// The renderer is not built for Windows: the reference is the headless instrument, driven the way
// the renderer drives it, in this process. The module under test opens with a parameter change
// for every parameter (effOpen); the reference does the same so that both start alike.
#include "engine/KernelParams.h"
#include "instrument/Sylvane.h"
#include "tests/hosts/vst2/ReferenceRender.h"

#include <algorithm>
#include <memory>
#include <mutex>

bool RenderReference(const ReferenceSetup& setup, std::vector<double>& left, std::vector<double>& right,
                     std::string& error) {
  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  plug->SetHostTempo(setup.tempo);
  plug->Activate(setup.sampleRate, setup.blockSize);
  {
    std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
    for (int i = 0; i < plug->NParams(); ++i) plug->HandleParamChange(i);
  }
  if (!setup.paramName.empty()) {
    const int index = FindKernelParam(setup.paramName.c_str());
    if (index < 0) {
      error = "no parameter " + setup.paramName;
      return false;
    }
    plug->SetParamPlain(index, setup.paramValue);
  }
  left.assign(static_cast<size_t>(setup.frames), 0.0);
  right.assign(static_cast<size_t>(setup.frames), 0.0);
  size_t next = 0;
  std::vector<MidiMessage> events;
  for (long long pos = 0; pos < setup.frames; pos += setup.blockSize) {
    const int n = static_cast<int>(std::min<long long>(setup.blockSize, setup.frames - pos));
    events.clear();
    for (; next < setup.events.size() && setup.events[next].sample < pos + n; ++next) {
      const ReferenceSetup::Event& e = setup.events[next];
      events.push_back(MidiMessage{static_cast<int32_t>(e.sample - pos), e.status, e.data1, e.data2});
    }
    double* outputs[] = {left.data() + pos, right.data() + pos};
    plug->ProcessDouble(outputs, n, events.data(), static_cast<int>(events.size()));
  }
  return true;
}
