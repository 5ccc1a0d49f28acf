#include "instrument/Sylvane.h"

#include "engine/KernelParams.h"

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
