// The base of every editor control: a rectangle, an optional plug-in parameter (by index) whose
// value the control holds in normalised form (0..1), optional auxiliary parameters, and the
// dirty flags the editor's timer uses to redraw only what changed.
//
// Two paths keep control and parameter in step: ApplyPlugValue (from the plug-in, any thread;
// only stores and flags) and MarkDirty(true) (from the user, UI thread; sends the value to the
// plug-in through IPlugBase::SetParamFromEditor). Controls are owned by IGraphics.
#pragma once

#include "gui/GuiTypes.h"

#include <string>
#include <vector>

class IPlugBase;
class ITextControl;

// A further parameter a control follows besides its own.
struct AuxParam {
  double value = 0.0;  // normalised
  int paramIdx = -1;
};

class IControl {
 public:
  // plug may be null (a control that never talks to the plug-in); paramIdx -1 binds none.
  IControl(IPlugBase* plug, const GuiRect& rect, int paramIdx = -1, const BlendSpec& blend = BlendSpec());
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Virtual operations in the framework's slot order (drawing and input arrive with the editor).
  virtual ~IControl();
  // From the plug-in: the first value received also becomes the default; a changed value is
  // stored and flagged for redraw, never sent back.
  virtual void ApplyPlugValue(double value);
  // From a prompt: a changed value is stored and sent to the plug-in.
  virtual void ApplyUserValue(double value);
  virtual void SetHidden(bool hidden);
  virtual void SetDisabled(bool disabled);
  // Clamps the value to [clamp low, clamp high] and flags a redraw; with push, sends it to the
  // plug-in and updates the attached value and name displays (UI thread).
  virtual void MarkDirty(bool pushToPlug);
  // After drawing: stays dirty only when one more redraw was asked for.
  virtual void MarkClean();
  virtual bool NeedsRedraw();
  // From the plug-in, for auxiliary entry `position`: stores a changed value and flags a redraw.
  virtual void ApplyAuxPlugValue(int position, double value);

  // Adds an auxiliary parameter (value 0); returns its position. Allocates: at construction.
  int AddAuxParam(int paramIdx);
  int NAuxParams() const noexcept { return static_cast<int>(mAuxParams.size()); }
  // Null outside 0..NAuxParams()-1.
  const AuxParam* AuxParamAt(int position) const noexcept;

  // Text controls that show this control's parameter value and name after each user change
  // (not owned).
  void SetValueDisplayControl(ITextControl* control) noexcept { mValueDisplay = control; }
  void SetNameDisplayControl(ITextControl* control) noexcept { mNameDisplay = control; }

  void SetClamp(double low, double high) noexcept {
    mClampLow = low;
    mClampHigh = high;
  }
  void SetTooltip(const char* text) { mTooltip = text ? text : ""; }

  IPlugBase* Plug() const noexcept { return mPlug; }
  const GuiRect& Rect() const noexcept { return mRect; }
  const GuiRect& TargetRect() const noexcept { return mTargetRect; }
  int ParamIdx() const noexcept { return mParamIdx; }
  double Value() const noexcept { return mValue; }
  double DefaultValue() const noexcept { return mDefaultValue; }
  const TextStyle& Style() const noexcept { return mText; }
  const BlendSpec& Blend() const noexcept { return mBlend; }
  int TextEntryLength() const noexcept { return mTextEntryLength; }
  bool IsHidden() const noexcept { return mHidden; }
  bool IsGreyed() const noexcept { return mGreyed; }
  const std::string& Tooltip() const noexcept { return mTooltip; }

 protected:
  int mTextEntryLength = 7;  // characters a text entry for this control accepts
  TextStyle mText;
  IPlugBase* mPlug = nullptr;
  GuiRect mRect;        // where it draws
  GuiRect mTargetRect;  // where it takes the mouse
  int mParamIdx = -1;
  std::vector<AuxParam> mAuxParams;
  double mValue = 0.0;
  double mDefaultValue = -1.0;  // negative until the plug-in first sends a value
  double mClampLow = 0.0;
  double mClampHigh = 1.0;
  bool mDirty = true;
  bool mHidden = false;
  bool mGreyed = false;
  bool mRedrawPending = false;  // one more redraw after the next MarkClean
  bool mPromptDisabled = true;
  bool mDoubleClickAsSingle = false;
  bool mMouseOverWhenGreyed = false;
  BlendSpec mBlend;
  ITextControl* mValueDisplay = nullptr;
  ITextControl* mNameDisplay = nullptr;
  std::string mTooltip;
};
