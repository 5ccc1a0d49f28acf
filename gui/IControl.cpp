#include "gui/IControl.h"

#include "core/FixedText.h"
#include "core/IPlugBase.h"
#include "gui/ITextControl.h"

#include <string>

namespace {
constexpr int kDisplayPartChars = 32;  // each of value text and label is cut to this
}  // namespace

IControl::IControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const BlendSpec& blend)
    : mPlug(plug), mRect(rect), mTargetRect(rect), mParamIdx(paramIdx), mBlend(blend) {}

IControl::~IControl() = default;

void IControl::ApplyPlugValue(double value) {
  if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
  if (value != mValue) {
    mValue = value;
    MarkDirty(false);
    mRedrawPending = true;
  }
}

void IControl::ApplyUserValue(double value) {
  if (value != mValue) {
    mValue = value;
    MarkDirty(true);
    mRedrawPending = true;
  }
}

void IControl::SetHidden(bool hidden) {
  mHidden = hidden;
  mRedrawPending = true;
  MarkDirty(false);
}

void IControl::SetDisabled(bool disabled) {
  mGreyed = disabled;
  mBlend.weight = disabled ? kGreyedBlendWeight : 1.0f;
  MarkDirty(false);
}

void IControl::MarkDirty(bool pushToPlug) {
  if (mValue < mClampLow) mValue = mClampLow;
  if (mValue > mClampHigh) mValue = mClampHigh;
  mDirty = true;
  if (!pushToPlug || !mPlug || mParamIdx < 0) return;

  mPlug->SetParamFromEditor(mParamIdx, mValue);
  const PlugParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  if (mValueDisplay) {
    char display[kDisplayPartChars + 1];
    param->FormatDisplay(display);
    char label[kDisplayPartChars + 1];
    CopyFixedText(label, param->DisplayLabel());
    mValueDisplay->SetText((std::string(display) + " " + label).c_str());
  }
  if (mNameDisplay) mNameDisplay->SetText(param->Name());
}

void IControl::MarkClean() {
  mDirty = mRedrawPending;
  mRedrawPending = false;
}

bool IControl::NeedsRedraw() { return mDirty; }

void IControl::ApplyAuxPlugValue(int position, double value) {
  if (position < 0 || position >= NAuxParams()) return;
  AuxParam& entry = mAuxParams[static_cast<size_t>(position)];
  if (value != entry.value) {
    entry.value = value;
    MarkDirty(false);
    mRedrawPending = true;
  }
}

int IControl::AddAuxParam(int paramIdx) {
  AuxParam entry;
  entry.paramIdx = paramIdx;
  mAuxParams.push_back(entry);
  return NAuxParams() - 1;
}

const AuxParam* IControl::AuxParamAt(int position) const noexcept {
  if (position < 0 || position >= NAuxParams()) return nullptr;
  return &mAuxParams[static_cast<size_t>(position)];
}
