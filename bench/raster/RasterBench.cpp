// Decoding the editor's full-size image set (the cold part of opening the first editor), and the
// blits and fills a redraw is made of.
#include "raster/EditorImageResource.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

void BM_DecodeAllEditorImages(benchmark::State& state) {
  for (auto _ : state) {
    size_t pixels = 0;
    for (int id = 101; id <= 117; ++id) {
      std::unique_ptr<LICE_MemBitmap> bm = LoadPngResource(ThisExecutableModule(), id);
      if (!bm) {
        state.SkipWithError("an editor image did not decode");
        return;
      }
      pixels += static_cast<size_t>(bm->Width()) * bm->Height();
    }
    benchmark::DoNotOptimize(pixels);
  }
}
// On a shared machine the least of several repetitions is the figure that means something.
double Least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
BENCHMARK(BM_DecodeAllEditorImages)->Unit(benchmark::kMillisecond)->Repetitions(10)->ComputeStatistics("min", Least);

// The background (opaque copy) and a knob frame (alpha copy) into a 1000 x 960 back buffer.
void BM_BlitEditorLayers(benchmark::State& state) {
  std::unique_ptr<LICE_MemBitmap> background = LoadPngResource(ThisExecutableModule(), 101);
  std::unique_ptr<LICE_MemBitmap> knob = LoadPngResource(ThisExecutableModule(), 108);
  if (!background || !knob) {
    state.SkipWithError("editor images missing");
    return;
  }
  LICE_SysBitmap back(1000, 960);
  const LICE_Rect frame{0, 160 * 14, 160, 160 * 15};
  for (auto _ : state) {
    LICE::Blit(&back, background.get(), 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
    LICE::Blit(&back, knob.get(), 420, 210, &frame, 1.0f, LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
    LICE::FillRect(&back, 120, 80, 760, 50, LICE_RGBA(0, 0, 0, 140), 1.0f, LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
    benchmark::DoNotOptimize(back.Bits());
  }
}
BENCHMARK(BM_BlitEditorLayers)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {
void BM_DecodeOneEditorImage(benchmark::State& state) {
  const int id = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::unique_ptr<LICE_MemBitmap> bm = LoadPngResource(ThisExecutableModule(), id);
    benchmark::DoNotOptimize(bm.get());
  }
}
BENCHMARK(BM_DecodeOneEditorImage)->DenseRange(101, 117)->Unit(benchmark::kMillisecond);
}  // namespace
