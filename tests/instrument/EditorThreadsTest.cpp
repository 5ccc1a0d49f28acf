// The editor under two threads: a host automates the preset selector and every sound parameter
// from its audio thread while the UI thread runs the redraw cycle. Built with -DSYLVANE_TSAN=ON
// this is the race check; in every build it checks that the editor ends in step.
#include "tests/instrument/SylvaneHarness.h"

#include "gui/IGraphicsOffscreen.h"
#include "gui/ITextControl.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

const int kSoundParams[10] = {kAmpFadeInOut, kAmpFoliageLevel, kAmpMainVolume, kAmpWindLevel,
                              kModFoliageStochasticAmt, kModWindStochasticAmt, kSoundfieldAmt,
                              kSystemEnergyAmt, kWindDispersion, kWindSpeed};

TEST(EditorThreads, AutomationOnTheAudioThreadAndRedrawsOnTheUiThreadDoNotRace) {
  // Library entries 1..6 exist, so selecting one loads it and shows its name.
  for (int i = 1; i <= 6; ++i) {
    fs::create_directories(fs::path(PresetLibraryPath(i)).parent_path());
    std::ofstream(PresetLibraryPath(i)) << "<WindSpeed>" << FormatPresetValue(0.1 * i) << "</WindSpeed>";
  }
  SylvaneHarness h(48000.0, 256);
  auto* g = static_cast<IGraphicsOffscreen*>(h.plug->Graphics());
  ASSERT_NE(nullptr, g);
  g->OpenEditorWindow(nullptr);

  constexpr int kBlocks = 400;
  std::atomic<bool> done{false};
  std::atomic<int> redraws{0};
  std::thread ui([&] {
    while (!done.load()) {
      if (g->RedrawCycle()) redraws.fetch_add(1);
      (void)h.plug->PresetNameText()->Text();
      std::this_thread::yield();
    }
  });
  int last = 0;
  for (int b = 0; b < kBlocks; ++b) {
    if (b % 10 == 0) {
      last = 1 + (b / 10) % 6;
      h.plug->SetParamPlain(kPresetSelector, last);
    }
    // One sound parameter per block, in turn: every one is automated, and each redraw stays small
    // enough for the UI thread to keep up under the sanitiser.
    h.plug->SetParamNormalized(kSoundParams[b % 10], ((b * 7) % 100) / 100.0);
    h.Block();
    // Gives the UI thread time to run on a loaded machine (no synchronisation: a handshake would
    // order the two threads and hide the very races this test looks for).
    std::this_thread::sleep_for(std::chrono::milliseconds(b % 10 == 0 ? 5 : 1));
  }
  h.plug->WaitForPresetFiles();  // presets load on the plug-in's worker thread
  done.store(true);
  ui.join();
  g->RedrawCycle();
  g->RedrawCycle();  // the second redraw a pushed value asks for

  EXPECT_GT(redraws.load(), 0);
  EXPECT_EQ(PresetDisplayName(PresetLibraryPath(last)), h.plug->PresetNameText()->Text());
  for (int i = 0; i < g->NControls(); ++i) {
    IControl* c = g->GetControl(i);
    EXPECT_FALSE(c->NeedsRedraw()) << i;
    if (c->ParamIdx() >= 0 && c->ParamIdx() != kPresetLoad && c->ParamIdx() != kPresetSave) {
      EXPECT_DOUBLE_EQ(h.plug->GetParam(c->ParamIdx())->CurrentNormalized(), c->Value()) << i;
    }
  }
  for (int i = 1; i <= 6; ++i) fs::remove(PresetLibraryPath(i));
}

}  // namespace
