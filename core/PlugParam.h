// One automatable value of the plug-in. The value is kept in plain units (beats per minute,
// 0..1 for a level, ...) and converted to and from the normalised range 0..1 that hosts and
// editor controls exchange, through a power curve of exponent `shape`.
//
// The core creates every parameter blank in its constructor; the plug-in then declares each one
// (DeclareContinuous). A parameter has no lock of its own: change it with the core's parameter
// lock held (IPlugBase::ParamLock). Texts passed in are copied and cut to their fixed fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum ParamType : int32_t {
  kParamNone = 0,  // not yet declared
  kParamBool = 1,
  kParamInt = 2,
  kParamEnum = 3,
  kParamDouble = 4,
};

constexpr int kParamTextSize = 32;  // name, label, group and display texts: 31 chars and a NUL
constexpr int kMaxDisplayPrecision = 6;

// A fixed text shown instead of the number for one integer value.
struct DisplayText {
  int32_t value = 0;
  char text[kParamTextSize] = {};
};

class PlugParam {
 public:
  PlugParam() = default;

  // Declares a continuous parameter: a blank parameter becomes Double (a type set earlier stays),
  // max is widened to at least min + step, the display precision follows from step, and a shape
  // of 0 keeps the current shape. Null texts count as empty.
  void DeclareContinuous(const char* name, double defaultValue, double min, double max, double step,
                         const char* label = "", double shape = 0.0);

  // value := plain clamped to [min, max]. NaN and infinities are ignored.
  void SetValue(double plain) noexcept;
  // value := min + n^shape * (max - min) with n clamped to 0..1, rounded to the nearest step
  // unless the type is Double, and clamped to [min, max]. A non-finite n or result is ignored.
  void SetFromNormalized(double normalized) noexcept;
  // The plain value clamped to [min, max] (NaN counts as min) mapped to 0..1 through 1/shape.
  double ToNormalized(double plain) const noexcept;
  double CurrentNormalized() const noexcept { return ToNormalized(mValue); }

  // The first display text whose value equals `value`, or null when there is none.
  const char* FindDisplayText(int value) const noexcept;

  // Writes the text shown for `value` (plain, or normalised when `normalized` is set, unquantised)
  // into out[outSize], cut to fit. With useDisplayTexts, a non-empty display text for the value
  // truncated toward zero replaces the number.
  void FormatDisplay(double value, bool normalized, char* out, size_t outSize, bool useDisplayTexts) const noexcept;
  // The current value with display texts.
  void FormatDisplay(char* out, size_t outSize) const noexcept { FormatDisplay(mValue, false, out, outSize, true); }
  template <size_t N>
  void FormatDisplay(char (&out)[N]) const noexcept { FormatDisplay(out, N); }

  // The unit label, or the empty text when a non-empty display text names the current value.
  const char* DisplayLabel() const noexcept;

  // Turns a typed or host-supplied text into a plain value (not applied; the caller clamps it
  // with SetValue). With display texts only an exact, case-sensitive match succeeds; otherwise
  // the text is read as a decimal number (no number at all reads as 0), negated when the display
  // is negated. Fails on a null text and on a number too large to hold.
  bool ParseDisplay(const char* text, double* plain) const noexcept;

  // Settings a plug-in may make before or after DeclareContinuous.
  void SetType(ParamType type) noexcept { mType = type; }
  void SetGroup(const char* group) noexcept;
  void SetNegateDisplay(bool negate) noexcept { mNegateDisplay = negate; }
  void SetCanAutomate(bool canAutomate) noexcept { mCanAutomate = canAutomate; }
  // Sets the display text for `value`, replacing an earlier one for the same value; allocates.
  void SetDisplayText(int value, const char* text);

  ParamType Type() const noexcept { return mType; }
  double Value() const noexcept { return mValue; }
  double Min() const noexcept { return mMin; }
  double Max() const noexcept { return mMax; }
  double Step() const noexcept { return mStep; }
  double Shape() const noexcept { return mShape; }
  double Default() const noexcept { return mDefault; }
  int DisplayPrecision() const noexcept { return mDisplayPrecision; }
  const char* Name() const noexcept { return mName; }
  const char* Label() const noexcept { return mLabel; }
  const char* Group() const noexcept { return mGroup; }
  bool NegateDisplay() const noexcept { return mNegateDisplay; }
  bool CanAutomate() const noexcept { return mCanAutomate; }
  int NDisplayTexts() const noexcept { return static_cast<int>(mDisplayTexts.size()); }
  // The n-th display text in declaration order, or null outside 0..NDisplayTexts()-1.
  const DisplayText* DisplayTextAt(int n) const noexcept;

 private:
  ParamType mType = kParamNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int32_t mDisplayPrecision = 0;
  char mName[kParamTextSize] = {};
  char mLabel[kParamTextSize] = {};
  char mGroup[kParamTextSize] = {};
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  std::vector<DisplayText> mDisplayTexts;
};
