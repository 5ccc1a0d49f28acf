#include "core/PlugParam.h"

#include "core/FixedText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Truncates toward zero; false when the result does not fit an int (or v is NaN).
bool TruncateToInt(double v, int* out) noexcept {
  const double t = std::trunc(v);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) return false;
  *out = static_cast<int>(t);
  return true;
}

}  // namespace

void PlugParam::DeclareContinuous(const char* name, double defaultValue, double min, double max, double step,
                                  const char* label, double shape) {
  if (mType == kParamNone) mType = kParamDouble;
  CopyFixedText(mName, name);
  CopyFixedText(mLabel, label);
  mGroup[0] = '\0';
  mMin = min;
  mValue = defaultValue;
  // A range narrower than one step is widened to exactly one step.
  mMax = max > min + step ? max : min + step;
  mStep = step;
  mDefault = defaultValue;

  // Digits needed to show one step: 1 -> 0, 0.1 -> 1, 0.00001 -> 5, anything finer -> 6.
  int precision = 0;
  double x = step;
  while (std::floor(x) != x) {
    if (++precision >= kMaxDisplayPrecision) break;
    x *= 10.0;
  }
  mDisplayPrecision = precision;

  if (shape != 0.0) mShape = shape;
}

void PlugParam::SetValue(double plain) noexcept {
  if (!std::isfinite(plain)) return;
  mValue = plain < mMin ? mMin : (plain > mMax ? mMax : plain);
}

void PlugParam::SetFromNormalized(double normalized) noexcept {
  if (!std::isfinite(normalized)) return;
  // Hosts may send values outside 0..1; neither they nor step rounding leave the range.
  const double n = normalized < 0.0 ? 0.0 : (normalized > 1.0 ? 1.0 : normalized);
  double v = mMin + std::pow(n, mShape) * (mMax - mMin);
  if (mType != kParamDouble) v = std::floor(v / mStep + 0.5) * mStep;  // nearest step, halves up
  if (!std::isfinite(v)) return;
  mValue = v < mMin ? mMin : (v < mMax ? v : mMax);
}

double PlugParam::ToNormalized(double plain) const noexcept {
  double v = plain >= mMin ? plain : mMin;  // NaN lands on min as well
  if (v > mMax) v = mMax;
  const double range = mMax - mMin;
  if (!(range > 0.0)) return 0.0;
  return std::pow((v - mMin) / range, 1.0 / mShape);
}

const char* PlugParam::FindDisplayText(int value) const noexcept {
  for (const DisplayText& entry : mDisplayTexts) {
    if (entry.value == value) return entry.text;
  }
  return nullptr;
}

void PlugParam::FormatDisplay(double value, bool normalized, char* out, size_t outSize,
                              bool useDisplayTexts) const noexcept {
  if (!out || outSize == 0) return;
  double v = normalized ? mMin + std::pow(value, mShape) * (mMax - mMin) : value;

  int k = 0;
  if (useDisplayTexts && !mDisplayTexts.empty() && TruncateToInt(v, &k)) {
    // Only the first entry for k counts; an empty text leaves the number showing.
    const char* text = FindDisplayText(k);
    if (text && text[0] != '\0') {
      CopyFixedText(out, outSize, text);
      return;
    }
  }

  if (mNegateDisplay) v = -v;
  if (mDisplayPrecision > 0) {
    std::snprintf(out, outSize, "%.*f", mDisplayPrecision, v);
  } else if (TruncateToInt(v, &k)) {
    std::snprintf(out, outSize, "%d", k);
  } else {
    std::snprintf(out, outSize, "%.0f", std::trunc(v));  // beyond int range, or NaN
  }
}

const char* PlugParam::DisplayLabel() const noexcept {
  int k = 0;
  if (!mDisplayTexts.empty() && TruncateToInt(mValue, &k)) {
    const char* text = FindDisplayText(k);
    if (text && text[0] != '\0') return "";
  }
  return mLabel;
}

bool PlugParam::ParseDisplay(const char* text, double* plain) const noexcept {
  if (!text || !plain) return false;
  if (!mDisplayTexts.empty()) {
    for (const DisplayText& entry : mDisplayTexts) {
      if (std::strcmp(entry.text, text) == 0) {
        *plain = entry.value;
        return true;
      }
    }
    return false;
  }
  double v = std::strtod(text, nullptr);
  if (!std::isfinite(v)) return false;  // "inf", "nan" and overflowing numbers
  *plain = mNegateDisplay ? -v : v;
  return true;
}

void PlugParam::SetGroup(const char* group) noexcept { CopyFixedText(mGroup, group); }

void PlugParam::SetDisplayText(int value, const char* text) {
  for (DisplayText& entry : mDisplayTexts) {
    if (entry.value == value) {
      CopyFixedText(entry.text, text);
      return;
    }
  }
  DisplayText entry;
  entry.value = value;
  CopyFixedText(entry.text, text);
  mDisplayTexts.push_back(entry);
}

const DisplayText* PlugParam::DisplayTextAt(int n) const noexcept {
  if (n < 0 || n >= NDisplayTexts()) return nullptr;
  return &mDisplayTexts[static_cast<size_t>(n)];
}
