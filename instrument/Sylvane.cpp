#include "instrument/Sylvane.h"

#include "engine/KernelParams.h"
#include "gui/IFileSelectorControl.h"
#include "gui/IGraphics.h"
#include "gui/ITextControl.h"
#include "instrument/PresetLibrary.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace {
constexpr int kMidiQueueCapacity = MidiEventQueue::kMinCapacity;
constexpr int kKernelBlockHint = 1024;
constexpr double kParamStep = 0.00001;
}  // namespace

Sylvane::Sylvane(const SylvaneAdapter::InstanceInfo& info)
    : SylvaneAdapter(info, kSylvaneParamCount, "2-2", 1, "Sylvane", "", "KorvelAudio", 0x10002,
                     FourCharCode("Ksw1"), FourCharCode("Krvl"), 0, true, false, true),
      mMidiQueue(kMidiQueueCapacity),
      mPresetWorker([this](const PresetWorker::Request& request) { RunPresetRequest(request); }) {
  mKernel = CreateKernel(SampleRate());
  ResetKernel(mKernel, SampleRate(), kKernelBlockHint);

  // The kernel's own table is the single source of names, ranges and defaults.
  for (int i = 0; i < kSylvaneParamCount; ++i) {
    const KernelParamInfo& entry = mKernel->paramInfo[i];
    GetParam(i)->DeclareContinuous(entry.name, mKernel->paramValues[i], entry.outputMin, entry.outputMax,
                                   kParamStep, entry.units, 1.0);
  }
  mCurrentPreset = 0.0f;
  ResetVoices();
  BuildEditor();
  MakeDefaultPrograms("Init", 1);
}

Sylvane::~Sylvane() {
  // The worker reaches the kernel, the parameters and the editor: it ends before they do.
  mPresetWorker.Stop();
  DestroyKernel(mKernel);
}

void Sylvane::BuildEditor() {
  // Rectangles in the small editor's pixels; each module scales them by its own factor.
  const int s = kEditorScale;
  auto rect = [s](int l, int t, int r, int b) { return GuiRect{l * s, t * s, r * s, b * s}; };

  IGraphics* graphics = new IGraphics(this, 500 * s, 480 * s);

  TextStyle nameStyle;
  std::snprintf(nameStyle.face, sizeof nameStyle.face, "%s", "Arial");
  nameStyle.size = 20 * s;
  nameStyle.color = GuiColor{255, 200, 200, 200};
  nameStyle.style = kTextStyleBold;
  nameStyle.align = kTextAlignCenter;
  mPresetName = new ITextControl(this, rect(60, 43, 440, 65), nameStyle, PresetMenuText(0).c_str());
  graphics->AddControl(mPresetName);

  // The pickers start in the preset folder, written with the shell's separators.
  std::string folder = PresetLibraryFolder();
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  std::replace(folder.begin(), folder.end(), '/', '\\');
  mLoadSelector = new IFileSelectorControl(this, rect(0, 40, 40, 65), kPresetLoad, GuiBitmap(),
                                           kFileOpen, folder.c_str(), "sylvanepreset");
  mSaveSelector = new IFileSelectorControl(this, rect(460, 40, 500, 65), kPresetSave, GuiBitmap(),
                                           kFileSave, folder.c_str(), "sylvanepreset");
  graphics->AddControl(mLoadSelector);
  graphics->AddControl(mSaveSelector);
  ConnectEditor(graphics);
}

void Sylvane::OnReset() {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  ResetKernel(mKernel, SampleRate(), kKernelBlockHint);
  for (int i = 0; i < kSylvaneParamCount; ++i) SetKernelParam(mKernel, i, GetParam(i)->Value());
  GetParam(kPresetSelector)->SetValue(0.0);
  SetKernelParam(mKernel, kPresetSelector, 0.0);
  mCommandValues[kPresetSelector - kPresetBackward] = 0.0;
  mMidiQueue.Resize(BlockSize());
  ResetVoices();
}

void Sylvane::HandleParamChange(int paramIdx) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  if (paramIdx < 0 || paramIdx >= kSylvaneParamCount) return;
  const double value = GetParam(paramIdx)->Value();
  SetKernelParam(mKernel, paramIdx, value);
  if (paramIdx >= kPresetBackward && paramIdx <= kPresetSelector) HandleCommandChange(paramIdx, value);
}

void Sylvane::SetParamFromEditor(int paramIdx, double normalized) {
  std::lock_guard<std::recursive_mutex> lock(ParamLock());
  const bool outer = mEditorChange;
  mEditorChange = true;
  SylvaneAdapter::SetParamFromEditor(paramIdx, normalized);
  mEditorChange = outer;
}

void Sylvane::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  if (nFrames < 0) nFrames = 0;
  // A request the worker could not take at the change goes now.
  if (mRequestUnsent) mRequestUnsent = !mPresetWorker.Post(mPendingRequest, false);
  // Every event of the block is handled before its audio; the kernel reads its gate once per
  // block. The queue is ordered, so this is the same as walking the block's sample positions.
  while (!mMidiQueue.Empty() && mMidiQueue.Front().offset < nFrames) {
    HandleQueuedMessage(mMidiQueue.Front());
    mMidiQueue.PopFront();
  }
  mMidiQueue.Flush(nFrames);

  const double tempo = HostTempo();
  GetParam(kHostTempoBpm)->SetValue(tempo);
  SetKernelParam(mKernel, kHostTempoBpm, tempo);

  PerformKernel(mKernel, inputs, outputs, nFrames);
}
