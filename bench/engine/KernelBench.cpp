// Cost of PerformKernel per sample, side by side with the straightforward per-sample kernel kept
// in BaselineKernel.cpp, in four situations: a note held; fades (attack and release alternating,
// 10 s each); a held note while the soundfield and the wind speed move every block; and long after
// a release (where decaying filter states once made silence slow to render). After the runs a
// table gives each case's time as a fraction of the baseline's, from the fastest repetition of
// each; run with --benchmark_repetitions=N --benchmark_enable_random_interleaving=true so that
// both versions meet the same load.
#include "BaselineKernel.h"

#include "engine/SynthKernel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Perform = int32_t (*)(SynthKernel*, double**, double**, int32_t) noexcept;

enum Case : int { kHeld = 0, kFading, kMoving, kReleased };
const char* const kCaseNames[] = {"held", "fading", "moving", "released"};

struct Renderer {
  SynthKernel* k;
  Perform perform;
  std::vector<double> in, l, r;
  int block;
  long blocks = 0;

  Renderer(Perform f, double rate, int n) : k(CreateKernel(rate)), perform(f), in(n), l(n), r(n), block(n) {}
  ~Renderer() { DestroyKernel(k); }
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  void Block(Case c) {
    if (c == kFading) {
      // Keep the envelope inside its curved parts: release once held, attack once the release
      // curve has reached zero.
      if (k->envStage == kEnvHold) SetKernelParam(k, kVoice00_NoteGate, 0.0);
      if (k->envStage == kEnvRelease && k->envRamp > 1.0) SetKernelParam(k, kVoice00_NoteGate, 1.0);
    } else if (c == kMoving) {
      const double t = static_cast<double>(blocks % 4000) / 2000.0;  // a slow triangle
      const double tri = t < 1.0 ? t : 2.0 - t;
      SetKernelParam(k, kSoundfieldAmt, tri);
      SetKernelParam(k, kWindSpeed, 0.1 + 0.8 * tri);
    }
    double* ins[2] = {in.data(), in.data()};
    double* outs[2] = {l.data(), r.data()};
    perform(k, ins, outs, block);
    ++blocks;
  }
  void Seconds(double s, Case c) {
    for (long done = 0; done < static_cast<long>(s * k->sampleRate); done += block) Block(c);
  }
};

// args: implementation (0 baseline, 1 kernel, 2 kernel held to its two-lane passes), sample rate,
// block, case
void BM_Kernel(benchmark::State& state) {
  const Perform perform = state.range(0) == 0 ? &PerformKernelBaseline : &PerformKernel;
  SetKernelWideVectors(state.range(0) != 2);
  const double rate = static_cast<double>(state.range(1));
  const int block = static_cast<int>(state.range(2));
  const Case c = static_cast<Case>(state.range(3));
  Renderer r(perform, rate, block);
  SetKernelParam(r.k, kVoice00_NoteGate, 1.0);
  SetKernelParam(r.k, kSoundfieldAmt, 0.5);
  if (c == kFading) SetKernelParam(r.k, kAmpFadeInOut, 1.0);
  r.Seconds(c == kFading ? 1.0 : 2.0, c);
  if (c == kReleased) {
    SetKernelParam(r.k, kVoice00_NoteGate, 0.0);
    r.Seconds(60.0, c);
  }
  for (auto _ : state) {
    r.Block(c);
    benchmark::DoNotOptimize(r.l.data());
    benchmark::ClobberMemory();
  }
  const double samples = static_cast<double>(state.iterations()) * block;
  state.counters["ns_per_sample"] =
      benchmark::Counter(samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["realtime_x"] = benchmark::Counter(samples / rate, benchmark::Counter::kIsRate);
  const char* const names[] = {"baseline ", "kernel ", "kernel (two lanes) "};
  state.SetLabel(std::string(names[state.range(0)]) + kCaseNames[c]);
  SetKernelWideVectors(true);
}

// Prints the usual console lines, then kernel time / baseline time for each rate, block and case.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      int impl, rate, block, c;
      if (std::sscanf(run.run_name.str().c_str(), "BM_Kernel/impl:%d/rate:%d/block:%d/case:%d", &impl, &rate, &block,
                      &c) != 4)
        continue;
      // The fastest repetition: on a shared machine the others carry other programs' load.
      double& best = times_[std::make_tuple(rate, block, c)][impl];
      const double t = run.GetAdjustedCPUTime();
      if (best == 0.0 || t < best) best = t;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nkernel time / baseline time (and with the two-lane passes alone)\n%8s %6s %-9s %8s\n", "rate",
                "block", "case", "ratio");
    for (const auto& entry : times_) {
      const auto& t = entry.second;
      if (t.count(0) == 0 || t.count(1) == 0) continue;
      std::printf("%8d %6d %-9s %8.3f  (1/%.1f)", std::get<0>(entry.first), std::get<1>(entry.first),
                  kCaseNames[std::get<2>(entry.first)], t.at(1) / t.at(0), t.at(0) / t.at(1));
      if (t.count(2) != 0) std::printf("  two lanes %.3f", t.at(2) / t.at(0));
      std::printf("\n");
    }
  }

 private:
  std::map<std::tuple<int, int, int>, std::map<int, double>> times_;
};

}  // namespace

BENCHMARK(BM_Kernel)
    ->ArgNames({"impl", "rate", "block", "case"})
    ->ArgsProduct({{0, 1, 2}, {44100, 48000, 96000}, {64, 512}, {kHeld, kFading, kMoving, kReleased}});

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
