#include "tests/instrument/SylvaneHarness.h"

#include "gui/IFileSelectorControl.h"
#include "gui/ITextControl.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"
#include "core/StateChunk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

const int kSoundParams[10] = {kAmpFadeInOut, kAmpFoliageLevel, kAmpMainVolume, kAmpWindLevel,
                              kModFoliageStochasticAmt, kModWindStochasticAmt, kSoundfieldAmt,
                              kSystemEnergyAmt, kWindDispersion, kWindSpeed};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

// A scratch folder of preset files and a library tree below the test's documents folder.
class SylvanePresets : public ::testing::Test {
 protected:
  void SetUp() override {
    library = PresetLibraryFolder();
    fs::create_directories(library + "Factory");
    fs::create_directories(library + "User");
    scratch = library + "scratch-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    fs::create_directories(scratch);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(scratch, ec);
    for (int i = 1; i <= kPresetLibraryLast; ++i) fs::remove(PresetLibraryPath(i), ec);
  }
  // A library entry whose only content is one WindSpeed value, to see which entry was loaded.
  void MakeEntry(int index, double windSpeed) {
    WriteAll(PresetLibraryPath(index), "<WindSpeed>" + FormatPresetValue(windSpeed) + "</WindSpeed>");
  }
  std::string NameText() const { return h.plug->PresetNameText()->Text(); }

  SylvaneHarness h;
  std::string library, scratch;
};

TEST_F(SylvanePresets, SavingTheDefaultsWritesTheKnownLine) {
  const std::string path = scratch + "Defaults.sylvanepreset";
  ASSERT_TRUE(h.plug->SavePresetFile(path));
  const std::string content = ReadAll(path);
  EXPECT_EQ(452u, content.size());
  double defaults[10];
  for (int i = 0; i < 10; ++i) defaults[i] = h.Param(kSoundParams[i]);
  EXPECT_EQ(BuildPresetLine(defaults), content);
  EXPECT_EQ("Defaults", NameText());
}

TEST_F(SylvanePresets, LoadingSetsOnlyTheElementsPresent) {
  const std::string path = scratch + "My Wind.sylvanepreset";
  WriteAll(path, "<WindSpeed>0.5</WindSpeed>");
  double before[26];
  for (int i = 0; i < 26; ++i) before[i] = h.Param(i);
  ASSERT_TRUE(h.plug->LoadPresetFile(path));
  EXPECT_EQ(0.5, h.Param(kWindSpeed));
  EXPECT_EQ(0.5, h.KernelParam(kWindSpeed));
  for (int i = 0; i < 26; ++i) {
    if (i != kWindSpeed) {
      EXPECT_EQ(before[i], h.Param(i)) << i;
    }
  }
  EXPECT_EQ("My Wind", NameText());
}

TEST_F(SylvanePresets, ValuesPassThroughSinglePrecisionAndAreClamped) {
  const std::string path = scratch + "p.sylvanepreset";
  WriteAll(path, "<AmpWindLevel>0.3</AmpWindLevel><WindSpeed>7</WindSpeed><SoundfieldAmt>-2</SoundfieldAmt>");
  ASSERT_TRUE(h.plug->LoadPresetFile(path));
  EXPECT_EQ(static_cast<double>(0.3f), h.Param(kAmpWindLevel));
  EXPECT_NEAR(0.300000011920929, h.Param(kAmpWindLevel), 1e-15);
  EXPECT_EQ(1.0, h.Param(kWindSpeed));
  EXPECT_EQ(1.0, h.KernelParam(kWindSpeed));
  EXPECT_EQ(0.0, h.Param(kSoundfieldAmt));

  const std::string again = scratch + "again.sylvanepreset";
  ASSERT_TRUE(h.plug->SavePresetFile(again));
  EXPECT_NE(std::string::npos, ReadAll(again).find("<AmpWindLevel>0.3</AmpWindLevel>"));
}

TEST_F(SylvanePresets, TheLastLineWithContentLoads) {
  const std::string path = scratch + "lines.sylvanepreset";
  WriteAll(path, "<WindSpeed>0.9</WindSpeed>\r\n<WindSpeed>0.5</WindSpeed>\r\n");
  EXPECT_TRUE(h.plug->LoadPresetFile(path));
  EXPECT_EQ(0.5, h.Param(kWindSpeed));
  EXPECT_EQ("lines", NameText());
}

// A file from which nothing applies is not a preset: the load fails and the name stays.
TEST_F(SylvanePresets, AFileThatAppliesNothingDoesNotLoad) {
  static const char kUtf16[] = "<\0W\0i\0n\0d\0S\0p\0e\0e\0d\0>\0" "0\0.\0" "5\0<\0/\0W\0";
  const struct {
    const char* what;
    std::string content;
    bool loads;
  } cases[] = {
      {"no element", "hello", false},
      {"UTF-16", std::string(kUtf16, sizeof kUtf16 - 1), false},
      {"first value broken", "<AmpFadeInOut>x</AmpFadeInOut><WindSpeed>0.5</WindSpeed>", false},
      {"empty", "", false},
      {"stops after one", "<AmpFadeInOut>0.6</AmpFadeInOut><WindSpeed>x</WindSpeed>", true},
  };
  for (const auto& c : cases) {
    SylvaneHarness fresh;
    const std::string path = scratch + "case.sylvanepreset";
    WriteAll(path, c.content);
    EXPECT_EQ(c.loads, fresh.plug->LoadPresetFile(path)) << c.what;
    EXPECT_EQ(c.loads ? "case" : "< Presets Library >", std::string(fresh.plug->PresetNameText()->Text())) << c.what;
    EXPECT_EQ(c.loads ? static_cast<double>(0.6f) : 0.3, fresh.Param(kAmpFadeInOut)) << c.what;
    EXPECT_EQ(0.12, fresh.Param(kWindSpeed)) << c.what;
  }
}

TEST_F(SylvanePresets, NonFiniteAndBrokenValuesNeverReachTheSound) {
  const std::string path = scratch + "bad.sylvanepreset";
  WriteAll(path, "<AmpFadeInOut>0.6</AmpFadeInOut><AmpFoliageLevel>nan</AmpFoliageLevel>"
                 "<WindSpeed>0.4</WindSpeed>");
  h.plug->LoadPresetFile(path);
  EXPECT_EQ(static_cast<double>(0.6f), h.Param(kAmpFadeInOut));  // applied before the failure
  EXPECT_EQ(0.8, h.Param(kAmpFoliageLevel));
  EXPECT_EQ(0.12, h.Param(kWindSpeed));                            // after it: not applied

  for (const char* text : {"inf", "-inf", "1e999", "1e300", "abc", ""}) {
    WriteAll(path, std::string("<SystemEnergyAmt>") + text + "</SystemEnergyAmt>");
    h.plug->LoadPresetFile(path);
    for (int i = 0; i < 26; ++i) {
      ASSERT_TRUE(std::isfinite(h.Param(i))) << text;
      ASSERT_TRUE(std::isfinite(h.KernelParam(i))) << text;
    }
    EXPECT_EQ(0.3, h.Param(kSystemEnergyAmt)) << text;
  }
  h.NoteOn(60);
  h.Block();
  for (double s : h.left) ASSERT_TRUE(std::isfinite(s));
}

TEST_F(SylvanePresets, AnyFileContentLoadsSafely) {
  const std::string path = scratch + "junk.sylvanepreset";
  std::string junk;
  for (size_t i = 0; i + 100 < kPresetFileLimit; ++i) junk.push_back(static_cast<char>((i * 7919) & 0xFF));
  junk.erase(std::remove(junk.begin(), junk.end(), '\n'), junk.end());
  WriteAll(path, "<WindSpeed>0.25</WindSpeed>" + junk);
  EXPECT_TRUE(h.plug->LoadPresetFile(path));
  EXPECT_EQ(0.25, h.Param(kWindSpeed));
  WriteAll(path, std::string(100, '\0'));
  EXPECT_FALSE(h.plug->LoadPresetFile(path));
  EXPECT_EQ(0.25, h.Param(kWindSpeed));
}

TEST_F(SylvanePresets, LibraryEntriesLoadThroughTheSelector) {
  MakeEntry(4, 0.44);
  MakeEntry(5, 0.55);
  h.plug->SelectLibraryPreset(4);
  EXPECT_EQ(PresetLibraryPath(4), h.plug->PresetLoadSelector()->FilePath());
  EXPECT_NE(std::string::npos, h.plug->PresetLoadSelector()->FilePath().find(
                                   "Factory/SFX - Foliage (Stochastic).sylvanepreset"));
  EXPECT_EQ(static_cast<double>(0.44f), h.Param(kWindSpeed));
  EXPECT_EQ(4.0f, h.plug->CurrentPreset());
  EXPECT_EQ(0.0, h.Param(kPresetSelector));
  EXPECT_EQ(0.0, h.KernelParam(kPresetSelector));
  EXPECT_EQ("SFX - Foliage (Stochastic)", NameText());

  h.plug->SetParamPlain(kPresetForward, 1.0);
  EXPECT_EQ(5.0f, h.plug->CurrentPreset());
  EXPECT_EQ(static_cast<double>(0.55f), h.Param(kWindSpeed));
  EXPECT_EQ(0.0, h.Param(kPresetSelector));
}

TEST_F(SylvanePresets, SteppingStaysWithinTheLibraryAndNamesWhatIsLoaded) {
  MakeEntry(1, 0.11);
  h.plug->SetParamPlain(kPresetBackward, 1.0);  // from the start (0) back: entry 1
  EXPECT_EQ(1.0f, h.plug->CurrentPreset());
  EXPECT_EQ(static_cast<double>(0.11f), h.Param(kWindSpeed));
  h.plug->SetParamPlain(kWindSpeed, 0.9);
  h.plug->SetParamPlain(kPresetBackward, 0.0);
  h.plug->SetParamPlain(kPresetBackward, 1.0);
  EXPECT_EQ(1.0f, h.plug->CurrentPreset());
  EXPECT_EQ(static_cast<double>(0.11f), h.Param(kWindSpeed));  // entry 1 again

  // Entry 2 has no file: its settings are not there, so its name says so.
  h.plug->SetParamPlain(kWindSpeed, 0.9);
  h.plug->SetParamPlain(kPresetForward, 1.0);
  EXPECT_EQ(2.0f, h.plug->CurrentPreset());
  EXPECT_EQ(0.9, h.Param(kWindSpeed));
  EXPECT_EQ(PresetMenuText(2) + " (not installed)", NameText());

  MakeEntry(106, 0.66);
  WriteAll(PresetLibraryPath(105), "");  // there, but nothing in it loads
  h.plug->SelectLibraryPreset(105);
  EXPECT_EQ(PresetMenuText(105) + " (not loaded)", NameText());
  for (int press = 0; press < 3; ++press) {
    h.plug->SetParamPlain(kPresetForward, 0.0);
    h.plug->SetParamPlain(kPresetForward, 1.0);
    EXPECT_EQ(106.0f, h.plug->CurrentPreset()) << press;
    EXPECT_EQ("USR - Sylvane User Preset 100", NameText()) << press;
  }
  EXPECT_EQ(0.0, h.Param(kPresetSelector));
}

TEST_F(SylvanePresets, ButtonsActOnlyAtExactlyOne) {
  MakeEntry(2, 0.22);
  MakeEntry(3, 0.33);
  h.plug->SelectLibraryPreset(3);
  h.plug->SetParamPlain(kPresetBackward, 0.5);
  EXPECT_EQ(3.0f, h.plug->CurrentPreset());
  h.plug->SetParamPlain(kPresetBackward, 1.0);
  EXPECT_EQ(2.0f, h.plug->CurrentPreset());
  EXPECT_EQ(static_cast<double>(0.22f), h.Param(kWindSpeed));
}

TEST_F(SylvanePresets, TheMenuTitleReadsNothing) {
  MakeEntry(4, 0.44);
  h.plug->SelectLibraryPreset(4);
  h.plug->SetParamPlain(kWindSpeed, 0.9);
  h.plug->SelectLibraryPreset(0);  // the selector already rests at 0: nothing happens
  EXPECT_EQ(4.0f, h.plug->CurrentPreset());
  EXPECT_EQ(0.9, h.Param(kWindSpeed));
  EXPECT_EQ("SFX - Foliage (Stochastic)", NameText());
}

TEST_F(SylvanePresets, SelectingResetsTheVoice) {
  MakeEntry(2, 0.2);
  h.NoteOn(60);
  h.Block();
  EXPECT_EQ(1.0, h.Gate());
  h.plug->SelectLibraryPreset(2);
  EXPECT_EQ(0.0, h.Gate());
  EXPECT_FALSE(h.plug->NoteHeld(60));
}

TEST_F(SylvanePresets, EveryChangeOfLoadAndTheEditorsSaveActs) {
  const std::string path = scratch + "toggle.sylvanepreset";
  h.plug->PresetLoadSelector()->SetFilePath(path.c_str());
  h.plug->PresetSaveSelector()->SetFilePath(path.c_str());

  h.plug->SetParamPlain(kWindSpeed, 0.31);
  h.plug->SetParamFromEditor(kPresetSave, 1.0);
  EXPECT_NE(std::string::npos, ReadAll(path).find("<WindSpeed>0.31</WindSpeed>"));
  h.plug->SetParamPlain(kWindSpeed, 0.62);
  h.plug->SetParamFromEditor(kPresetSave, 0.0);
  EXPECT_NE(std::string::npos, ReadAll(path).find("<WindSpeed>0.62</WindSpeed>"));

  WriteAll(path, "<WindSpeed>0.1</WindSpeed>");
  h.plug->SetParamPlain(kPresetLoad, 1.0);
  EXPECT_EQ(static_cast<double>(0.1f), h.Param(kWindSpeed));
  WriteAll(path, "<WindSpeed>0.2</WindSpeed>");
  h.plug->SetParamPlain(kPresetLoad, 0.0);
  EXPECT_EQ(static_cast<double>(0.2f), h.Param(kWindSpeed));
}

// Hosts resend every value after a restore and automate whatever they like: a command acts only
// on a real change, and the host's "save" never touches a file.
TEST_F(SylvanePresets, HostsCannotRepeatCommandsOrWriteFiles) {
  const std::string path = scratch + "host.sylvanepreset";
  WriteAll(path, "<WindSpeed>0.1</WindSpeed>");
  h.plug->PresetLoadSelector()->SetFilePath(path.c_str());
  h.plug->PresetSaveSelector()->SetFilePath(path.c_str());
  h.plug->SetParamPlain(kPresetLoad, 1.0);
  EXPECT_EQ(static_cast<double>(0.1f), h.Param(kWindSpeed));
  WriteAll(path, "<WindSpeed>0.2</WindSpeed>");
  h.plug->SetParamPlain(kPresetLoad, 1.0);
  EXPECT_EQ(static_cast<double>(0.1f), h.Param(kWindSpeed));

  h.plug->SetParamPlain(kPresetForward, 1.0);  // from 0 to entry 1 (no file), then 1 again
  h.plug->SetParamPlain(kPresetForward, 1.0);
  EXPECT_EQ(1.0f, h.plug->CurrentPreset());

  for (double v : {1.0, 0.0, 0.5}) {
    h.plug->SetParamPlain(kPresetSave, v);
    h.plug->SetParamNormalized(kPresetSave, 1.0 - v);
  }
  EXPECT_EQ("<WindSpeed>0.2</WindSpeed>", ReadAll(path));
}

// A project or program restore brings back the command parameters' values but never the file
// actions: the loaded file is not read over the restored values, the saved one not rewritten.
TEST_F(SylvanePresets, RestoringStateOrProgramRunsNoFileAction) {
  const std::string loadPath = scratch + "load.sylvanepreset";
  const std::string savePath = scratch + "save.sylvanepreset";
  WriteAll(loadPath, "<WindSpeed>0.1</WindSpeed>");
  h.plug->PresetLoadSelector()->SetFilePath(loadPath.c_str());
  h.plug->PresetSaveSelector()->SetFilePath(savePath.c_str());
  h.plug->SetParamFromEditor(kPresetLoad, 1.0);
  h.plug->SetParamFromEditor(kPresetSave, 1.0);
  h.plug->SetParamPlain(kWindSpeed, 0.7);
  h.plug->ModifyCurrentPreset();
  StateChunk state;
  ASSERT_TRUE(h.plug->SerializeParams(state));
  std::remove(savePath.c_str());

  SylvaneHarness other;
  other.plug->PresetLoadSelector()->SetFilePath(loadPath.c_str());
  other.plug->PresetSaveSelector()->SetFilePath(savePath.c_str());
  EXPECT_EQ(state.Size(), other.plug->UnserializeParams(state, 0));
  h.plug->PresetLoadSelector()->SetFilePath("");  // commands back to 0 with nothing to act on
  h.plug->PresetSaveSelector()->SetFilePath("");
  h.plug->SetParamFromEditor(kPresetLoad, 0.0);
  h.plug->SetParamFromEditor(kPresetSave, 0.0);
  h.plug->PresetLoadSelector()->SetFilePath(loadPath.c_str());
  h.plug->PresetSaveSelector()->SetFilePath(savePath.c_str());
  EXPECT_TRUE(h.plug->RestoreProgram(0));
  for (SylvaneHarness* restored : {&h, &other}) {
    EXPECT_EQ(0.7, restored->Param(kWindSpeed));
    EXPECT_EQ(1.0, restored->Param(kPresetLoad));
    EXPECT_EQ(1.0, restored->Param(kPresetSave));
    // The host then resends the restored values: still nothing.
    restored->plug->SetParamPlain(kPresetLoad, 1.0);
    restored->plug->SetParamPlain(kPresetSave, 1.0);
    EXPECT_EQ(0.7, restored->Param(kWindSpeed));
  }
  EXPECT_FALSE(fs::exists(savePath));
}

TEST_F(SylvanePresets, SavingWhereNothingCanBeWrittenChangesNothing) {
  EXPECT_FALSE(h.plug->SavePresetFile(scratch + "no-such-folder/x.sylvanepreset"));
  EXPECT_EQ("< Presets Library >", NameText());
  h.plug->PresetSaveSelector()->SetFilePath("");
  h.plug->SetParamPlain(kPresetSave, 1.0);  // a cancelled dialog leaves an empty path
  EXPECT_EQ("< Presets Library >", NameText());
}

// In real time no file is touched on the thread that changed the parameter (the audio thread,
// holding the lock): the worker reads and writes, and a read's values arrive once the lock is
// free, with or without blocks being processed.
TEST_F(SylvanePresets, InRealTimeTheWorkerReadsAndWrites) {
  h.plug->SetRenderingOffline(false);
  const std::string path = scratch + "rt.sylvanepreset";
  WriteAll(path, "<WindSpeed>0.5</WindSpeed>");
  MakeEntry(4, 0.44);
  h.plug->PresetLoadSelector()->SetFilePath(path.c_str());
  {
    std::lock_guard<std::recursive_mutex> audioThread(h.plug->ParamLock());
    h.plug->SetParamPlain(kPresetLoad, 1.0);
    EXPECT_EQ(0.12, h.Param(kWindSpeed));
  }
  h.plug->WaitForPresetFiles();
  EXPECT_EQ(static_cast<double>(0.5f), h.Param(kWindSpeed));
  EXPECT_EQ(static_cast<double>(0.5f), h.KernelParam(kWindSpeed));
  EXPECT_EQ("rt", NameText());

  {
    std::lock_guard<std::recursive_mutex> audioThread(h.plug->ParamLock());
    h.plug->SetParamPlain(kPresetSelector, 4.0);
    EXPECT_EQ(4.0f, h.plug->CurrentPreset());
    EXPECT_EQ(0.0, h.Param(kPresetSelector));
    EXPECT_EQ(static_cast<double>(0.5f), h.Param(kWindSpeed));
  }
  h.plug->WaitForPresetFiles();
  EXPECT_EQ(static_cast<double>(0.44f), h.Param(kWindSpeed));
  EXPECT_EQ(PresetLibraryPath(4), h.plug->PresetLoadSelector()->FilePath());
  EXPECT_EQ("SFX - Foliage (Stochastic)", NameText());

  const std::string saved = scratch + "saved.sylvanepreset";
  h.plug->PresetSaveSelector()->SetFilePath(saved.c_str());
  h.plug->SetParamPlain(kPresetSave, 1.0);
  h.plug->WaitForPresetFiles();
  EXPECT_FALSE(fs::exists(saved));
  h.plug->SetParamFromEditor(kPresetSave, 0.0);
  h.plug->WaitForPresetFiles();
  EXPECT_NE(std::string::npos, ReadAll(saved).find("<WindSpeed>0.44</WindSpeed>"));
  EXPECT_EQ("saved", NameText());
}

TEST_F(SylvanePresets, ARestoredStateOutranksAFileStillBeingRead) {
  h.plug->SetRenderingOffline(false);
  const std::string path = scratch + "late.sylvanepreset";
  WriteAll(path, "<WindSpeed>0.5</WindSpeed>");
  h.plug->PresetLoadSelector()->SetFilePath(path.c_str());
  StateChunk state;
  ASSERT_TRUE(h.plug->SerializeParams(state));
  {
    std::lock_guard<std::recursive_mutex> audioThread(h.plug->ParamLock());
    h.plug->SetParamPlain(kPresetLoad, 1.0);
    h.plug->UnserializeParams(state, 0);
  }
  h.plug->WaitForPresetFiles();
  EXPECT_EQ(0.12, h.Param(kWindSpeed));
  EXPECT_EQ("< Presets Library >", NameText());
}

// Three threads as in a host: the audio thread renders blocks while the user loads from the
// editor and the worker reads; the values arrive between two blocks.
TEST_F(SylvanePresets, AnEditorLoadReachesARunningAudioThread) {
  h.plug->SetRenderingOffline(false);
  const std::string path = scratch + "live.sylvanepreset";
  WriteAll(path, "<WindSpeed>0.5</WindSpeed><AmpMainVolume>0.25</AmpMainVolume>");
  h.plug->PresetLoadSelector()->SetFilePath(path.c_str());
  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::thread audio([&] {
    while (!stop) {
      h.Block(64);
      ++blocks;
    }
  });
  while (blocks < 10) std::this_thread::yield();
  h.plug->SetParamFromEditor(kPresetLoad, 1.0);
  h.plug->WaitForPresetFiles();
  const int after = blocks;
  while (blocks < after + 10) std::this_thread::yield();
  stop = true;
  audio.join();
  EXPECT_EQ(static_cast<double>(0.5f), h.KernelParam(kWindSpeed));
  EXPECT_EQ(0.25, h.KernelParam(kAmpMainVolume));
  EXPECT_EQ("live", NameText());
}

}  // namespace
