#include "gui/IControl.h"

#include "core/FixedText.h"
#include "core/IPlugBase.h"
#include "gui/IGraphics.h"
#include "gui/ITextControl.h"

#include <cstdio>

namespace {
constexpr int kDisplayPartChars = 32;  // each of value text and label is cut to this
constexpr int kPromptWidth = 40;       // text entry for a parameter without display texts
constexpr int kPromptHeight = 16;
}  // namespace

IControl::IControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const BlendSpec& blend)
    : mPlug(plug), mRect(rect), mTargetRect(rect), mParamIdx(paramIdx), mBlend(blend) {}

IControl::~IControl() = default;

void IControl::HandleMouseDown(int /*x*/, int /*y*/, const MouseMods& mods) {
  if (mods.R) PromptUserInput();
}

void IControl::HandleMouseUp(int /*x*/, int /*y*/, const MouseMods& /*mods*/) {}

void IControl::HandleMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, const MouseMods& /*mods*/) {}

void IControl::HandleDoubleClick(int /*x*/, int /*y*/, const MouseMods& /*mods*/) {
  const double def = DefaultValue();
  if (def >= 0.0) {
    SetValue(def);
    MarkDirty(true);
  }
}

void IControl::HandleWheel(int /*x*/, int /*y*/, const MouseMods& /*mods*/, int /*steps*/) {}

bool IControl::HandleKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }

void IControl::HandleMouseOver(int /*x*/, int /*y*/, const MouseMods& /*mods*/) {}

void IControl::HandleMouseOut() {}

void IControl::ApplyPlugValue(double value) {
  double unset = mDefaultValue.load(std::memory_order_relaxed);
  if (unset < 0.0 && mDefaultValue.compare_exchange_strong(unset, value, std::memory_order_relaxed)) SetValue(value);
  if (value != Value()) {
    SetValue(value);
    MarkDirty(false);
    mRedrawPending.store(true, std::memory_order_release);
  }
}

void IControl::ApplyUserValue(double value) {
  if (value != Value()) {
    SetValue(value);
    MarkDirty(true);
    mRedrawPending.store(true, std::memory_order_release);
  }
}

void IControl::ApplyEnteredText(const char* /*text*/) {}

void IControl::SetHidden(bool hidden) {
  mHidden = hidden;
  mRedrawPending.store(true, std::memory_order_release);
  MarkDirty(false);
}

void IControl::SetDisabled(bool disabled) {
  mGreyed = disabled;
  mBlend.weight = disabled ? kGreyedBlendWeight : 1.0f;
  MarkDirty(false);
}

bool IControl::HitTest(int x, int y) {
  return !mTargetRect.Empty() && x >= mTargetRect.left && x < mTargetRect.right && y >= mTargetRect.top &&
         y < mTargetRect.bottom;
}

void IControl::MarkDirty(bool pushToPlug) {
  const double v = Value();
  if (v < mClampLow) SetValue(mClampLow);
  if (v > mClampHigh) SetValue(mClampHigh);
  mDirty.store(true, std::memory_order_release);
  if (!pushToPlug || !mPlug || mParamIdx < 0) return;

  mPlug->SetParamFromEditor(mParamIdx, Value());
  const PlugParam* param = BoundParam();
  if (!param) return;
  if (mValueDisplay) {
    char display[kDisplayPartChars + 1];
    param->FormatDisplay(display);
    char label[kDisplayPartChars + 1];
    CopyFixedText(label, param->DisplayLabel());
    char text[2 * kDisplayPartChars + 2];
    std::snprintf(text, sizeof text, "%s %s", display, label);
    mValueDisplay->SetText(text);
  }
  if (mNameDisplay) mNameDisplay->SetText(param->Name());
}

void IControl::MarkClean() {
  mDirty.store(mRedrawPending.exchange(false, std::memory_order_acq_rel), std::memory_order_release);
}

bool IControl::NeedsRedraw() { return mDirty.load(std::memory_order_acquire); }

void IControl::ApplyAuxPlugValue(int position, double value) {
  if (position < 0 || position >= NAuxParams()) return;
  AuxParam& entry = *mAuxParams[static_cast<size_t>(position)];
  if (value != entry.value.load(std::memory_order_relaxed)) {
    entry.value.store(value, std::memory_order_relaxed);
    MarkDirty(false);
    mRedrawPending.store(true, std::memory_order_release);
  }
}

int IControl::AddAuxParam(int paramIdx) {
  auto entry = std::make_unique<AuxParam>();
  entry->paramIdx = paramIdx;
  mAuxParams.push_back(std::move(entry));
  return NAuxParams() - 1;
}

const AuxParam* IControl::AuxParamAt(int position) const noexcept {
  if (position < 0 || position >= NAuxParams()) return nullptr;
  return mAuxParams[static_cast<size_t>(position)].get();
}

const PlugParam* IControl::BoundParam() const noexcept {
  return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
}

void IControl::PromptUserInput() {
  const PlugParam* param = BoundParam();
  if (!param || mPromptDisabled || !mOwner) return;
  GuiRect rect = mRect;
  if (param->NDisplayTexts() == 0) {
    // Centre computed in float, as the prompt boxes of every control are placed.
    const int cx = static_cast<int>(static_cast<float>(mRect.left + mRect.right) * 0.5f);
    const int cy = static_cast<int>(static_cast<float>(mRect.top + mRect.bottom) * 0.5f);
    rect = GuiRect{cx - kPromptWidth / 2, cy - kPromptHeight / 2, cx + kPromptWidth / 2, cy + kPromptHeight / 2};
  }
  mOwner->PromptForParamValue(this, param, rect);
  mRedrawPending.store(true, std::memory_order_release);
}
