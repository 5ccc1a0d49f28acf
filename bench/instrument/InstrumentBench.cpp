// The instrument's own cost per block (event dispatch, tempo, parameter plumbing) against the
// bare kernel it drives: both render a held note at 48 kHz; the instrument also receives one
// controller message per block, as from a performer riding a fader.
#include "engine/KernelParams.h"
#include "engine/SynthKernel.h"
#include "instrument/Sylvane.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;

void SetCounters(benchmark::State& state, int block) {
  const double samples = static_cast<double>(state.iterations()) * block;
  state.counters["ns_per_sample"] = benchmark::Counter(samples * 1e-9, benchmark::Counter::kIsRate |
                                                                           benchmark::Counter::kInvert);
  state.counters["realtime_x"] = benchmark::Counter(samples / kRate, benchmark::Counter::kIsRate);
}

void BM_BareKernel(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  SynthKernel* kernel = CreateKernel(kRate);
  SetKernelParam(kernel, kVoice00_NoteGate, 1.0);
  std::vector<double> in(block, 0.0), l(block), r(block);
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {l.data(), r.data()};
  for (auto _ : state) {
    PerformKernel(kernel, ins, outs, block);
    benchmark::DoNotOptimize(l.data());
  }
  DestroyKernel(kernel);
  SetCounters(state, block);
}

void BM_Instrument(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  plug->Activate(kRate, block);
  MidiMessage note{0, 0x90, 60, 100};
  plug->SendMidi(note);
  std::vector<double> l(block), r(block);
  double* outs[2] = {l.data(), r.data()};
  int value = 0;
  for (auto _ : state) {
    MidiMessage cc{block / 2, 0xB0, 10, static_cast<uint8_t>(value)};
    value = (value + 1) & 127;
    plug->ProcessDouble(outs, block, &cc, 1);
    benchmark::DoNotOptimize(l.data());
  }
  SetCounters(state, block);
}

// A block flooded with events (a dense controller stream, or a host that dumps automation as
// MIDI): what one event costs to queue and dispatch, in order, at 512 frames per block.
void BM_EventFlood(benchmark::State& state) {
  const int block = 512;
  const int events = static_cast<int>(state.range(0));
  auto plug = std::make_unique<Sylvane>(IPlugHeadless::InstanceInfo());
  plug->Activate(kRate, block);
  std::vector<MidiMessage> flood(static_cast<size_t>(events));
  for (int i = 0; i < events; ++i) {
    flood[static_cast<size_t>(i)] = MidiMessage{static_cast<int>(static_cast<long long>(i) * block / events), 0xB0,
                                                 10, static_cast<uint8_t>(i & 127)};
  }
  std::vector<double> l(block), r(block);
  double* outs[2] = {l.data(), r.data()};
  for (auto _ : state) {
    plug->ProcessDouble(outs, block, flood.data(), events);
    benchmark::DoNotOptimize(l.data());
  }
  state.counters["ns_per_event"] = benchmark::Counter(static_cast<double>(state.iterations()) * events * 1e-9,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_EventFlood)->Arg(4096)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareKernel)->Arg(64)->Arg(512);
BENCHMARK(BM_Instrument)->Arg(64)->Arg(512);
