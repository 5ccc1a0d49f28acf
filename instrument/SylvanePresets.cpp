// Preset files and the preset library, driven by parameters 10 to 14 from HandleParamChange.
// Files are read and written on whichever thread changed the parameter, under the parameter lock.
#include "instrument/Sylvane.h"

#include "engine/KernelParams.h"
#include "gui/IFileSelectorControl.h"
#include "gui/IGraphics.h"
#include "gui/ITextControl.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"

#include <mutex>

void Sylvane::ShowPresetName(const std::string& path) {
  if (mPresetName) mPresetName->SetText(PresetDisplayName(path).c_str());
}

bool Sylvane::WritePreset() {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  const std::string path = mSaveSelector ? mSaveSelector->FilePath() : std::string();
  double values[kPresetElementCount];
  for (int i = 0; i < kPresetElementCount; ++i) values[i] = GetParam(kPresetElements[i].paramIndex)->Value();
  // The name only changes when the file was really written: a failed save must not look saved.
  if (path.empty() || !WritePresetFile(path, BuildPresetLine(values))) return false;
  if (!PresetDisplayName(path).empty()) ShowPresetName(path);
  return true;
}

bool Sylvane::ReadPreset() {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  const std::string path = mLoadSelector ? mLoadSelector->FilePath() : std::string();
  std::string line;
  if (path.empty() || !ReadPresetLastLine(path, line) || line.empty()) return false;

  PresetValue values[kPresetElementCount];
  std::string conversionError;  // a bad value stops the read; the values before it stay applied
  const int count = ParsePresetLine(line, values, conversionError);
  if (count == 0) return false;  // nothing applied: not a preset, so its name must not show
  IGraphics* graphics = Graphics();
  for (int i = 0; i < count; ++i) {
    const int idx = values[i].paramIndex;
    const double v = values[i].value;
    GetParam(idx)->SetValue(v);
    SetKernelParam(mKernel, idx, v);  // the kernel limits it to 0..1
    if (graphics) graphics->PushParamToControls(idx, v, true);
  }
  ShowPresetName(path);
  return true;
}

void Sylvane::StepPreset(int delta) {
  PlugParam* selector = GetParam(kPresetSelector);
  selector->SetValue(mCurrentPreset);
  SetKernelParam(mKernel, kPresetSelector, mCurrentPreset);
  const double stepped = selector->Value() + delta;
  selector->SetValue(stepped);
  SetKernelParam(mKernel, kPresetSelector, stepped);
}

void Sylvane::LoadSelectedPreset() {
  PlugParam* selector = GetParam(kPresetSelector);
  const int index = static_cast<int>(selector->Value() + 0.5);
  if (mLoadSelector) mLoadSelector->SetFilePath(PresetLibraryPath(index).c_str());
  ReadPreset();
  mCurrentPreset = static_cast<float>(selector->Value());
  selector->SetValue(0.0);
  SetKernelParam(mKernel, kPresetSelector, 0.0);
}

void Sylvane::SelectLibraryPreset(int index) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  GetParam(kPresetSelector)->SetValue(index);
  HandleParamChange(kPresetSelector);
}

bool Sylvane::LoadPresetFile(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (!mLoadSelector) return false;
  mLoadSelector->SetFilePath(path.c_str());
  return ReadPreset();
}

bool Sylvane::SavePresetFile(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (!mSaveSelector) return false;
  mSaveSelector->SetFilePath(path.c_str());
  return WritePreset();
}
