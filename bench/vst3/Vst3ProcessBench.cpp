// What the VST 3 adapter adds to a block: process (lock, host queues, bus binding, float
// conversion) against the instrument's bare ProcessBlock on the same held note, at the block
// sizes hosts use. BM_AdapterOnly runs the same process call around an empty ProcessBlock, so
// the adapter's share of a block is AdapterOnly / BareProcessBlock, which stays readable when the
// difference of the first two drowns in a busy machine's noise.
#include "instrument/Sylvane.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <benchmark/benchmark.h>

#include <mutex>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The adapter with nothing behind it: the same buses and channel configuration as the instrument.
class SilentPlug final : public IPlugVST3 {
 public:
  SilentPlug()
      : IPlugVST3(InstanceInfo{}, 26, "2-2", 1, "Silent", "", "KorvelAudio", 0x10002, FourCharCode("Slnt"),
                  FourCharCode("Krvl"), 0, true, false, true) {}
  void ProcessBlock(double**, double**, int) override {}
};

// Any FUnknown serves as the host context.
vst3support::FObject gHostContext;

template <typename Plug>
void Prepare(Plug* plug, int frames) {
  plug->initialize(&gHostContext);
  ProcessSetup setup{kRealtime, kSample32, frames, 48000.0};
  plug->setupProcessing(setup);
  plug->setActive(true);
}

// Runs process on 32-bit stereo buffers in a loop.
void RunProcess(benchmark::State& state, IPlugVST3* plug, int frames) {
  std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  float* channels[2] = {left.data(), right.data()};
  AudioBusBuffers out;
  out.numChannels = 2;
  out.channelBuffers32 = channels;
  ProcessContext context{};
  context.tempo = 120.0;
  ProcessData data;
  data.symbolicSampleSize = kSample32;
  data.numSamples = frames;
  data.numOutputs = 1;
  data.outputs = &out;
  data.processContext = &context;
  for (auto _ : state) {
    plug->process(data);
    benchmark::DoNotOptimize(left.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
}

// A fresh instance, set up for blocks of `frames`, with note 60 held.
Sylvane* MakePlaying(int frames) {
  auto* plug = new Sylvane(IPlugVST3::InstanceInfo{});
  Prepare(plug, frames);
  std::lock_guard<std::recursive_mutex> lock(plug->ParamLock());
  plug->HandleMidiMessage(MidiMessage{0, 0x90, 60, 100});
  return plug;
}

void BM_Vst3Process(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  Sylvane* plug = MakePlaying(frames);
  RunProcess(state, plug, frames);
  plug->release();
}

void BM_AdapterOnly(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  auto* plug = new SilentPlug;
  Prepare(plug, frames);
  RunProcess(state, plug, frames);
  plug->release();
}

void BM_BareProcessBlock(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  Sylvane* plug = MakePlaying(frames);
  std::vector<double> inL(static_cast<size_t>(frames)), inR(static_cast<size_t>(frames));
  std::vector<double> outL(static_cast<size_t>(frames)), outR(static_cast<size_t>(frames));
  double* inputs[2] = {inL.data(), inR.data()};
  double* outputs[2] = {outL.data(), outR.data()};
  for (auto _ : state) {
    plug->ProcessBlock(inputs, outputs, frames);
    benchmark::DoNotOptimize(outL.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
  plug->release();
}

BENCHMARK(BM_Vst3Process)->Arg(64)->Arg(512);
BENCHMARK(BM_BareProcessBlock)->Arg(64)->Arg(512);
BENCHMARK(BM_AdapterOnly)->Arg(64)->Arg(512);

}  // namespace
