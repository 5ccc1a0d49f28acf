// The editor's costs a user feels: opening a plug-in instance with its editor (the first one
// decodes the images, later ones find them cached), a full redraw of the 1000 x 960 editor, and
// the redraw tick after one knob has moved.
//
// The cold-build benchmark must run first in a fresh process (images are cached per process),
// so it is registered first and runs exactly once.
#include "engine/KernelParams.h"
#include "gui/IGraphicsOffscreen.h"
#include "instrument/Sylvane.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_BuildInstanceImagesCold(benchmark::State& state) {
  for (auto _ : state) {
    auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
    benchmark::DoNotOptimize(plug.get());
  }
}
BENCHMARK(BM_BuildInstanceImagesCold)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BuildInstanceImagesCached(benchmark::State& state) {
  for (auto _ : state) {
    auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
    benchmark::DoNotOptimize(plug.get());
  }
}
BENCHMARK(BM_BuildInstanceImagesCached)->Unit(benchmark::kMillisecond);

void BM_FullRedraw(benchmark::State& state) {
  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  IGraphics* g = plug->Graphics();
  const GuiRect all{0, 0, g->Width(), g->Height()};
  g->DrawRect(all);  // fonts made once, outside the measurement
  for (auto _ : state) g->DrawRect(all);
  state.counters["editor_px"] = g->Width() * g->Height();
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

// One timer tick after the host moved one knob: collect the dirty rectangle, draw what overlaps
// it, present.
void BM_RedrawAfterOneKnobMoves(benchmark::State& state) {
  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  auto* g = static_cast<IGraphicsOffscreen*>(plug->Graphics());
  g->DrawRect(GuiRect{0, 0, g->Width(), g->Height()});
  int step = 0;
  for (auto _ : state) {
    g->PushParamToControls(kWindSpeed, (step++ % 29) / 28.0, true);
    g->RedrawCycle();
  }
}
BENCHMARK(BM_RedrawAfterOneKnobMoves)->Unit(benchmark::kMicrosecond);

}  // namespace
