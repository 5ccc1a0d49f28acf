#include "vst3support/Parameter.h"

#include "vst3support/String.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vst3support {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
double Clamp01(double v) noexcept { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

void FormatNumber(double value, int precision, String128 out) noexcept {
  char text[128];
  std::snprintf(text, sizeof text, "%.*f", precision, value);
  String::Widen(text, out, 128);
}

bool ParseNumber(const TChar* text, double& value) noexcept {
  char utf8[128];
  String::ToUtf8(text, utf8, sizeof utf8);
  char* end = nullptr;
  const double parsed = std::strtod(utf8, &end);
  if (end == utf8 || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}
}  // namespace

Parameter::Parameter(const char* title, ParamID id, const char* units, double defaultNormalized, int32 stepCount,
                     int32 flags, UnitID unitId) {
  String::Widen(title, mInfo.title, 128);
  String::Widen(title, mInfo.shortTitle, 128);
  String::Widen(units, mInfo.units, 128);
  mInfo.id = id;
  mInfo.stepCount = stepCount < 0 ? 0 : stepCount;
  mInfo.defaultNormalizedValue = std::isfinite(defaultNormalized) ? Clamp01(defaultNormalized) : 0.0;
  mInfo.flags = flags;
  mInfo.unitId = unitId;
  mNormalized.store(mInfo.defaultNormalizedValue);
}

bool Parameter::SetNormalized(double value) noexcept {
  if (!std::isfinite(value)) return false;
  mNormalized.store(Clamp01(value), std::memory_order_relaxed);
  return true;
}

void Parameter::ToString(double normalized, String128 out) const noexcept {
  FormatNumber(ToPlain(normalized), mPrecision, out);
}

bool Parameter::FromString(const TChar* text, double& normalized) const noexcept {
  double plain = 0.0;
  if (!ParseNumber(text, plain)) return false;
  normalized = Clamp01(ToNormalized(plain));
  return true;
}

RangeParameter::RangeParameter(const char* title, ParamID id, const char* units, double min, double max,
                               double defaultPlain, int32 stepCount, int32 flags, UnitID unitId)
    : Parameter(title, id, units, 0.0, stepCount, flags, unitId), mMin(min), mMax(max) {
  mInfo.defaultNormalizedValue = ToNormalized(defaultPlain);
  SetNormalized(mInfo.defaultNormalizedValue);
}

double RangeParameter::ToPlain(double normalized) const noexcept {
  const double n = Clamp01(normalized);
  if (mInfo.stepCount > 0) return mMin + std::floor(n * mInfo.stepCount + 0.5) * (mMax - mMin) / mInfo.stepCount;
  return mMin + n * (mMax - mMin);
}

double RangeParameter::ToNormalized(double plain) const noexcept {
  if (!(mMax > mMin) || !std::isfinite(plain)) return 0.0;
  return Clamp01((plain - mMin) / (mMax - mMin));
}

void RangeParameter::ToString(double normalized, String128 out) const noexcept {
  FormatNumber(ToPlain(normalized), mInfo.stepCount > 0 ? 0 : mPrecision, out);
}

bool RangeParameter::FromString(const TChar* text, double& normalized) const noexcept {
  double plain = 0.0;
  if (!ParseNumber(text, plain)) return false;
  normalized = ToNormalized(plain);
  return true;
}

StringListParameter::StringListParameter(const char* title, ParamID id, const char* units, int32 flags,
                                         UnitID unitId)
    : Parameter(title, id, units, 0.0, 0, flags | ParameterInfo::kIsList, unitId) {}

void StringListParameter::AppendString(const char* text) {
  mEntries.emplace_back(text ? text : "");
  mInfo.stepCount = static_cast<int32>(mEntries.size()) - 1;
}

double StringListParameter::ToPlain(double normalized) const noexcept {
  return mInfo.stepCount > 0 ? std::floor(Clamp01(normalized) * mInfo.stepCount + 0.5) : 0.0;
}

double StringListParameter::ToNormalized(double plain) const noexcept {
  if (mInfo.stepCount <= 0 || !std::isfinite(plain)) return 0.0;
  return Clamp01(std::floor(plain + 0.5) / mInfo.stepCount);
}

void StringListParameter::ToString(double normalized, String128 out) const noexcept {
  const size_t k = static_cast<size_t>(ToPlain(normalized));
  String::Widen(k < mEntries.size() ? mEntries[k].c_str() : "", out, 128);
}

bool StringListParameter::FromString(const TChar* text, double& normalized) const noexcept {
  char utf8[128];
  String::ToUtf8(text, utf8, sizeof utf8);
  for (size_t k = 0; k < mEntries.size(); ++k) {
    if (mEntries[k] == utf8) {
      normalized = ToNormalized(static_cast<double>(k));
      return true;
    }
  }
  return false;
}

Parameter* ParameterContainer::Add(std::unique_ptr<Parameter> parameter) {
  if (!parameter || mIndexById.count(parameter->Id()) != 0) return nullptr;
  mIndexById.emplace(parameter->Id(), mList.size());
  mList.push_back(std::move(parameter));
  return mList.back().get();
}

void ParameterContainer::Clear() noexcept {
  mList.clear();
  mIndexById.clear();
}

Parameter* ParameterContainer::At(int index) const noexcept {
  return index >= 0 && index < Count() ? mList[static_cast<size_t>(index)].get() : nullptr;
}

Parameter* ParameterContainer::ById(ParamID id) const noexcept {
  const auto it = mIndexById.find(id);
  return it == mIndexById.end() ? nullptr : mList[it->second].get();
}

}  // namespace vst3support
