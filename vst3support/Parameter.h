// Parameter objects an edit controller shows the host, and the container that finds them by ID.
// Each holds the host's ParameterInfo record and a normalised value (0..1, atomic so that the
// UI and audio threads may both touch it). The default conversions are linear; a controller that
// keeps its values elsewhere overrides its own methods instead of these.
#pragma once

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vst3support {

class Parameter {
 public:
  // Texts are UTF-8 and cut to their fields.
  Parameter(const char* title, Steinberg::Vst::ParamID id, const char* units, double defaultNormalized,
            Steinberg::int32 stepCount, Steinberg::int32 flags, Steinberg::Vst::UnitID unitId);
  virtual ~Parameter() = default;

  const Steinberg::Vst::ParameterInfo& Info() const noexcept { return mInfo; }
  Steinberg::Vst::ParamID Id() const noexcept { return mInfo.id; }
  double Normalized() const noexcept { return mNormalized.load(std::memory_order_relaxed); }
  // Clamps to 0..1; non-finite values are ignored (false).
  bool SetNormalized(double value) noexcept;
  // Digits after the point in ToString.
  void SetPrecision(int precision) noexcept { mPrecision = precision < 0 ? 0 : (precision > 12 ? 12 : precision); }
  int Precision() const noexcept { return mPrecision; }

  virtual double ToPlain(double normalized) const noexcept { return normalized; }
  virtual double ToNormalized(double plain) const noexcept { return plain; }
  // The text for a normalised value, cut to 127 characters.
  virtual void ToString(double normalized, Steinberg::Vst::String128 out) const noexcept;
  // Parses a text typed by the user; false when it means nothing.
  virtual bool FromString(const Steinberg::Vst::TChar* text, double& normalized) const noexcept;

 protected:
  Steinberg::Vst::ParameterInfo mInfo{};
  int mPrecision = 4;

 private:
  std::atomic<double> mNormalized{0.0};
};

// A plain range min..max mapped linearly; with a step count the plain value snaps to its steps.
class RangeParameter : public Parameter {
 public:
  RangeParameter(const char* title, Steinberg::Vst::ParamID id, const char* units, double min, double max,
                 double defaultPlain, Steinberg::int32 stepCount, Steinberg::int32 flags,
                 Steinberg::Vst::UnitID unitId);
  double Min() const noexcept { return mMin; }
  double Max() const noexcept { return mMax; }
  double ToPlain(double normalized) const noexcept override;
  double ToNormalized(double plain) const noexcept override;
  void ToString(double normalized, Steinberg::Vst::String128 out) const noexcept override;
  bool FromString(const Steinberg::Vst::TChar* text, double& normalized) const noexcept override;

 private:
  double mMin;
  double mMax;
};

// A list of named entries; entry k is the normalised value k / (count - 1).
class StringListParameter : public Parameter {
 public:
  StringListParameter(const char* title, Steinberg::Vst::ParamID id, const char* units, Steinberg::int32 flags,
                      Steinberg::Vst::UnitID unitId);
  // Allocates; the step count becomes count - 1.
  void AppendString(const char* text);
  int EntryCount() const noexcept { return static_cast<int>(mEntries.size()); }
  double ToPlain(double normalized) const noexcept override;
  double ToNormalized(double plain) const noexcept override;
  void ToString(double normalized, Steinberg::Vst::String128 out) const noexcept override;
  bool FromString(const Steinberg::Vst::TChar* text, double& normalized) const noexcept override;

 private:
  std::vector<std::string> mEntries;
};

class ParameterContainer {
 public:
  // Takes ownership and returns the parameter; a second parameter with an ID already present is
  // refused (null). Allocates: UI thread, before processing.
  Parameter* Add(std::unique_ptr<Parameter> parameter);
  void Clear() noexcept;
  int Count() const noexcept { return static_cast<int>(mList.size()); }
  // Null outside 0..Count()-1, or for an unknown ID.
  Parameter* At(int index) const noexcept;
  Parameter* ById(Steinberg::Vst::ParamID id) const noexcept;

 private:
  std::vector<std::unique_ptr<Parameter>> mList;
  std::unordered_map<Steinberg::Vst::ParamID, size_t> mIndexById;
};

}  // namespace vst3support
