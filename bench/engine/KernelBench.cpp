// Cost of PerformKernel per sample and as a multiple of real time, with a note held and long
// after its release (where decaying filter states once made silence slow to render).
#include "engine/SynthKernel.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void Report(benchmark::State& state, double rate, int block) {
  const double samples = static_cast<double>(state.iterations()) * block;
  state.counters["ns_per_sample"] = benchmark::Counter(samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["realtime_x"] = benchmark::Counter(samples / rate, benchmark::Counter::kIsRate);
}

void Render(SynthKernel* k, std::vector<double>& in, std::vector<double>& l, std::vector<double>& r, int block,
            long total) {
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {l.data(), r.data()};
  for (long done = 0; done < total; done += block) PerformKernel(k, ins, outs, block);
}

// args: sample rate, block, released (0 held, 1 rendered 60 s after the note-off first)
void BM_PerformKernel(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const int block = static_cast<int>(state.range(1));
  const bool released = state.range(2) != 0;
  SynthKernel* k = CreateKernel(rate);
  std::vector<double> in(block), l(block), r(block);
  SetKernelParam(k, kVoice00_NoteGate, 1.0);
  SetKernelParam(k, kSoundfieldAmt, 0.5);
  Render(k, in, l, r, block, static_cast<long>(rate * 2));
  if (released) {
    SetKernelParam(k, kVoice00_NoteGate, 0.0);
    Render(k, in, l, r, block, static_cast<long>(rate * 60));
  }
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {l.data(), r.data()};
  for (auto _ : state) {
    PerformKernel(k, ins, outs, block);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
  }
  Report(state, rate, block);
  DestroyKernel(k);
}

}  // namespace

BENCHMARK(BM_PerformKernel)
    ->ArgNames({"rate", "block", "released"})
    ->ArgsProduct({{44100, 48000, 96000}, {64, 512}, {0, 1}});
