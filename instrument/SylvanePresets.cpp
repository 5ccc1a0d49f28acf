// Preset files and the preset library, driven by parameters 10 to 14 from HandleParamChange.
// Offline, files are read and written on the thread that changed the parameter; in real time
// the instance's PresetWorker does it and applies a read's values under the parameter lock.
#include "instrument/Sylvane.h"

#include "engine/KernelParams.h"
#include "gui/IFileSelectorControl.h"
#include "gui/IGraphics.h"
#include "gui/ITextControl.h"
#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// The file's values; -1 when it cannot be opened or holds no line. Runs without the lock.
int ReadPresetValues(const std::string& path, PresetValue values[kPresetElementCount], bool* opened) {
  std::string line;
  *opened = !path.empty() && ReadPresetLastLine(path, line);
  if (!*opened || line.empty()) return -1;
  std::string conversionError;  // a bad value stops the read; the values before it stay applied
  return ParsePresetLine(line, values, conversionError);
}

}  // namespace

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
  return ReadPresetFrom(mLoadSelector ? mLoadSelector->FilePath() : std::string(), 0);
}

bool Sylvane::ReadPresetFrom(const std::string& path, int libraryIndex) {
  PresetValue values[kPresetElementCount];
  bool opened = false;
  const int count = ReadPresetValues(path, values, &opened);
  return FinishPresetRead(path, libraryIndex, opened, values, count);
}

// Lock held. A library entry that loads nothing is named with its menu text and marked, so that
// the display never names settings that are not loaded.
bool Sylvane::FinishPresetRead(const std::string& path, int libraryIndex, bool opened, const PresetValue* values,
                               int count) {
  if (count <= 0) {  // nothing applied: not a preset, so its name must not show
    if (libraryIndex >= 1 && libraryIndex <= kPresetLibraryLast && mPresetName) {
      const char* mark = opened ? " (not loaded)" : " (not installed)";
      mPresetName->SetText((PresetMenuText(libraryIndex) + mark).c_str());
    }
    return false;
  }
  IGraphics* graphics = Graphics();
  bool changed = false;
  for (int i = 0; i < count; ++i) {
    const int idx = values[i].paramIndex;
    const double v = values[i].value;
    PlugParam* param = GetParam(idx);
    const double before = param->Value();
    param->SetValue(v);
    changed = changed || param->Value() != before;
    SetKernelParam(mKernel, idx, v);  // the kernel limits it to 0..1
    if (graphics) graphics->PushParamToControls(idx, v, true);
  }
  // The host still holds the old values; it is told on the UI thread (the editor's next tick).
  if (changed) MarkHostViewStale();
  ShowPresetName(path);
  return true;
}

void Sylvane::HandleCommandChange(int paramIdx, double value) {
  double& last = mCommandValues[paramIdx - kPresetBackward];
  const bool unchanged = value == last;
  last = value;
  if (RestoringState()) {
    ++mPresetGeneration;  // a restored state also outranks a file still being read
    return;
  }
  if (unchanged) return;
  switch (paramIdx) {
    case kPresetBackward:
    case kPresetForward:
      if (value != 1.0) return;
      ResetVoices();
      StepPreset(paramIdx == kPresetForward ? 1 : -1);
      LoadSelectedPreset();
      return;
    case kPresetLoad:
      RequestPresetRead(false, 0);
      return;
    case kPresetSave:
      // A host's automation never writes a file; only the user's own save button does.
      if (!mEditorChange) return;
      RequestPresetWrite();
      return;
    case kPresetSelector:
      ResetVoices();
      LoadSelectedPreset();
      return;
    default:
      return;
  }
}

// Lock held. The request goes out without allocating: this may be the audio thread.
bool Sylvane::PostPresetRequest(const std::string* path) {
  PresetWorker::Request& request = mPendingRequest;
  request.generation = mPresetGeneration;
  request.path[0] = '\0';
  if (path) {
    if (path->size() >= sizeof request.path) return false;
    std::memcpy(request.path, path->c_str(), path->size() + 1);
  }
  mRequestUnsent = !mPresetWorker.Post(request, mEditorChange);
  return true;
}

void Sylvane::RequestPresetRead(bool library, int libraryIndex) {
  ++mPresetGeneration;
  if (IsRenderingOffline()) {
    if (library && mLoadSelector) mLoadSelector->SetFilePath(PresetLibraryPath(libraryIndex).c_str());
    ReadPresetFrom(mLoadSelector ? mLoadSelector->FilePath() : std::string(), library ? libraryIndex : 0);
    return;
  }
  mPendingRequest.kind = PresetWorker::Request::kRead;
  mPendingRequest.library = library;
  mPendingRequest.libraryIndex = libraryIndex;
  // A library entry's path is composed by the worker: composing allocates.
  PostPresetRequest(library || !mLoadSelector ? nullptr : &mLoadSelector->FilePath());
}

void Sylvane::RequestPresetWrite() {
  ++mPresetGeneration;
  if (IsRenderingOffline()) {
    WritePreset();
    return;
  }
  if (!mSaveSelector || mSaveSelector->FilePath().empty()) return;
  mPendingRequest.kind = PresetWorker::Request::kWrite;
  mPendingRequest.library = false;
  for (int i = 0; i < kPresetElementCount; ++i) {
    mPendingRequest.values[i] = GetParam(kPresetElements[i].paramIndex)->Value();
  }
  PostPresetRequest(&mSaveSelector->FilePath());
}

// On the worker thread: the file work without the lock, then its outcome under the lock unless a
// newer request or a restored state has overtaken it.
void Sylvane::RunPresetRequest(const PresetWorker::Request& request) {
  const bool read = request.kind == PresetWorker::Request::kRead;
  const std::string path = request.library ? PresetLibraryPath(request.libraryIndex) : std::string(request.path);
  PresetValue values[kPresetElementCount];
  int count = -1;
  bool opened = false;
  bool written = false;
  if (read) {
    count = ReadPresetValues(path, values, &opened);
  } else {
    written = WritePresetFile(path, BuildPresetLine(request.values));
  }

  std::unique_lock<std::recursive_mutex> lock(ParamLock(), std::defer_lock);
  // The destructor may hold the lock while it stops this thread: never wait on it for good.
  while (!lock.try_lock()) {
    if (mPresetWorker.Stopping()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (request.generation != mPresetGeneration) return;
  if (read) {
    if (request.library && mLoadSelector) mLoadSelector->SetFilePath(path.c_str());
    FinishPresetRead(path, request.library ? request.libraryIndex : 0, opened, values, count);
  } else if (written && !PresetDisplayName(path).empty()) {
    ShowPresetName(path);
  }
}

void Sylvane::WaitForPresetFiles() { mPresetWorker.WaitIdle(); }

void Sylvane::StepPreset(int delta) {
  // The library's entries are 1..106: stepping stops at either end.
  PlugParam* selector = GetParam(kPresetSelector);
  const double stepped = std::min(std::max(std::floor(mCurrentPreset + 0.5) + delta, 1.0),
                                  static_cast<double>(kPresetLibraryLast));
  selector->SetValue(stepped);
  SetKernelParam(mKernel, kPresetSelector, stepped);
}

void Sylvane::LoadSelectedPreset() {
  PlugParam* selector = GetParam(kPresetSelector);
  RequestPresetRead(true, static_cast<int>(selector->Value() + 0.5));
  mCurrentPreset = static_cast<float>(selector->Value());
  selector->SetValue(0.0);
  SetKernelParam(mKernel, kPresetSelector, 0.0);
  mCommandValues[kPresetSelector - kPresetBackward] = 0.0;
}

void Sylvane::SelectLibraryPreset(int index) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  GetParam(kPresetSelector)->SetValue(index);
  HandleParamChange(kPresetSelector);
}

bool Sylvane::LoadPresetFile(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (!mLoadSelector) return false;
  ++mPresetGeneration;
  mLoadSelector->SetFilePath(path.c_str());
  return ReadPreset();
}

bool Sylvane::SavePresetFile(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (!mSaveSelector) return false;
  ++mPresetGeneration;
  mSaveSelector->SetFilePath(path.c_str());
  return WritePreset();
}
