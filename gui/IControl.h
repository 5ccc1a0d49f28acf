// The base of every editor control: a rectangle, an optional plug-in parameter (by index) whose
// value the control holds in normalised form (0..1), optional auxiliary parameters, and the
// dirty flags the editor's timer uses to redraw only what changed.
//
// Two paths keep control and parameter in step: ApplyPlugValue (from the plug-in, any thread;
// only stores and flags) and MarkDirty(true) (from the user, UI thread; sends the value to the
// plug-in through IPlugBase::SetParamFromEditor). The value, the default and the dirty flags are
// atomics so that a value pushed from the audio thread is never read half-written by a redraw.
// Everything else is UI-thread state. Controls are owned by IGraphics (AddControl).
#pragma once

#include "gui/GuiTypes.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class IGraphics;
class IPlugBase;
class ITextControl;
class PlugParam;

// Values pushed from the audio thread must not wait or tear.
static_assert(std::atomic<double>::is_always_lock_free, "control values need lock-free atomics");
static_assert(std::atomic<bool>::is_always_lock_free, "control flags need lock-free atomics");

// A further parameter a control follows besides its own.
struct AuxParam {
  std::atomic<double> value{0.0};  // normalised; written by whichever thread pushes it
  int paramIdx = -1;
};

class IControl {
 public:
  // plug may be null (a control that never talks to the plug-in); paramIdx -1 binds none.
  IControl(IPlugBase* plug, const GuiRect& rect, int paramIdx = -1, const BlendSpec& blend = BlendSpec());
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Virtual operations in the framework's slot order. Input and drawing: UI thread.
  virtual ~IControl();
  // Right button: prompts for the value (unless prompts are disabled, the default).
  virtual void HandleMouseDown(int x, int y, const MouseMods& mods);
  virtual void HandleMouseUp(int x, int y, const MouseMods& mods);
  virtual void HandleMouseDrag(int x, int y, int dX, int dY, const MouseMods& mods);
  // Returns to the default value (the first one the plug-in sent) and sends it to the plug-in.
  virtual void HandleDoubleClick(int x, int y, const MouseMods& mods);
  virtual void HandleWheel(int x, int y, const MouseMods& mods, int steps);
  virtual bool HandleKeyDown(int x, int y, int key);
  virtual void HandleMouseOver(int x, int y, const MouseMods& mods);
  virtual void HandleMouseOut();
  // Draws into the surface's back buffer, clipped to its draw rectangle. False when a font
  // could not be made.
  virtual bool Draw(IGraphics* graphics) = 0;
  // From the plug-in (any thread; lock-free, no allocation): the first value received also
  // becomes the default; a changed value is stored and flagged for redraw, never sent back.
  virtual void ApplyPlugValue(double value);
  // From a prompt: a changed value is stored and sent to the plug-in.
  virtual void ApplyUserValue(double value);
  // From a text entry of a control without a parameter.
  virtual void ApplyEnteredText(const char* text);
  virtual void SetHidden(bool hidden);
  // Greys the control out: drawn at a quarter weight and skipped by the hit search.
  virtual void SetDisabled(bool disabled);
  // Inside the target rectangle (left and top inclusive); never for an empty one.
  virtual bool HitTest(int x, int y);
  // Clamps the value to [clamp low, clamp high] and flags a redraw; with push, sends it to the
  // plug-in and updates the attached value and name displays (UI thread). Without push it is
  // lock-free (any thread).
  virtual void MarkDirty(bool pushToPlug);
  // After drawing: stays dirty only when one more redraw was asked for.
  virtual void MarkClean();
  virtual bool NeedsRedraw();
  virtual void Reserved() {}
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
  void SetPromptDisabled(bool disabled) noexcept { mPromptDisabled = disabled; }
  void SetDoubleClickAsSingle(bool single) noexcept { mDoubleClickAsSingle = single; }
  void SetMouseOverWhenGreyed(bool allow) noexcept { mMouseOverWhenGreyed = allow; }
  // The surface that owns the control; set by IGraphics::AddControl.
  void SetOwner(IGraphics* graphics) noexcept { mOwner = graphics; }
  // The plug-in is gone while the control lives on (IGraphics::OrphanFromPlug): it acts as a
  // control without one.
  void ForgetPlug() noexcept { mPlug = nullptr; }

  IPlugBase* Plug() const noexcept { return mPlug; }
  IGraphics* Owner() const noexcept { return mOwner; }
  const GuiRect& Rect() const noexcept { return mRect; }
  const GuiRect& TargetRect() const noexcept { return mTargetRect; }
  int ParamIdx() const noexcept { return mParamIdx; }
  double Value() const noexcept { return mValue.load(std::memory_order_relaxed); }
  double DefaultValue() const noexcept { return mDefaultValue.load(std::memory_order_relaxed); }
  const TextStyle& Style() const noexcept { return mText; }
  const BlendSpec& Blend() const noexcept { return mBlend; }
  int TextEntryLength() const noexcept { return mTextEntryLength; }
  bool IsHidden() const noexcept { return mHidden; }
  bool IsGreyed() const noexcept { return mGreyed; }
  bool PromptDisabled() const noexcept { return mPromptDisabled; }
  bool DoubleClickAsSingle() const noexcept { return mDoubleClickAsSingle; }
  bool MouseOverWhenGreyed() const noexcept { return mMouseOverWhenGreyed; }
  const std::string& Tooltip() const noexcept { return mTooltip; }

 protected:
  void SetValue(double value) noexcept { mValue.store(value, std::memory_order_relaxed); }
  // The bound parameter, or null without plug-in or parameter.
  const PlugParam* BoundParam() const noexcept;
  // Asks the owner to prompt for the bound parameter's value (menu or text entry).
  void PromptUserInput();

  int mTextEntryLength = 7;  // characters a text entry for this control accepts
  TextStyle mText;
  IPlugBase* mPlug = nullptr;
  GuiRect mRect;        // where it draws
  GuiRect mTargetRect;  // where it takes the mouse
  int mParamIdx = -1;
  std::vector<std::unique_ptr<AuxParam>> mAuxParams;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};  // negative until the plug-in first sends a value
  double mClampLow = 0.0;
  double mClampHigh = 1.0;
  std::atomic<bool> mDirty{true};
  bool mHidden = false;
  bool mGreyed = false;
  std::atomic<bool> mRedrawPending{false};  // one more redraw after the next MarkClean
  bool mPromptDisabled = true;
  bool mDoubleClickAsSingle = false;
  bool mMouseOverWhenGreyed = false;
  BlendSpec mBlend;
  ITextControl* mValueDisplay = nullptr;
  ITextControl* mNameDisplay = nullptr;
  std::string mTooltip;
  IGraphics* mOwner = nullptr;
};
