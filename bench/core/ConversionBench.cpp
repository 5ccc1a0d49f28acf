// Cost of the single-precision block path around the product's renderer: widening two host
// inputs, the default pass-through render and narrowing two outputs. Reports ns per frame and
// the share of real time at 48 kHz (Google Benchmark prints inverted rates with an "s" suffix;
// ns_per_frame is in nanoseconds, rt_share_48k a plain fraction).
#include "core/IPlugBase.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

class BenchPlug : public IPlugBase {
 public:
  BenchPlug()
      : IPlugBase(26, "2-2", 1, "Bench", "", "Maker", 0x10002, FourCharCode("Bnch"), FourCharCode("Mkr1"), 0,
                  true, false, true, kApiVst3) {}
  void BeginParamGesture(int) override {}
  void NotifyHostParamValue(int, double) override {}
  void EndParamGesture(int) override {}
  void NotifyHostProgramChange() override {}
  int HostSamplePos() override { return 0; }
  double HostTempo() override { return 120.0; }
  void HostTimeSig(int*, int*) override {}
  void HostTime(HostTimeInfo*) override {}
  void EditorResized(int, int) override {}
  bool SendMidiMessage(const MidiMessage&) override { return false; }
};

void BM_RenderAndConvert(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  BenchPlug plug;
  for (int k = 0; k < 2; ++k) {
    plug.SetInputConnected(k, true);
    plug.SetOutputConnected(k, true);
  }
  plug.SetBlockSize(frames);
  std::vector<float> in0(frames), in1(frames), out0(frames), out1(frames);
  for (int i = 0; i < frames; ++i) {
    in0[i] = 0.25f * static_cast<float>(i % 97) / 97.0f;
    in1[i] = -in0[i];
  }
  const float* ins[2] = {in0.data(), in1.data()};
  float* outs[2] = {out0.data(), out1.data()};

  for (auto _ : state) {
    plug.BindHostInputs(0, 2, ins, frames);
    plug.BindHostOutputs(0, 2, outs);
    plug.RenderAndConvert(frames);
    benchmark::DoNotOptimize(out0.data());
    benchmark::DoNotOptimize(out1.data());
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_frame"] =
      benchmark::Counter(frames * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["rt_share_48k"] =
      benchmark::Counter(frames / 48000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RenderAndConvert)->Arg(512);

}  // namespace
