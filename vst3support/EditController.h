// An edit controller over a ParameterContainer: parameter queries by index and ID, value
// conversions through the parameter objects, and the component handler, to which beginEdit,
// performEdit and endEdit forward (kResultFalse while none is set). UI thread unless stated.
#pragma once

#include "vst3support/ComponentBase.h"
#include "vst3support/Parameter.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace vst3support {

class EditController : public ComponentBase,
                       public Steinberg::Vst::IEditController,
                       public Steinberg::Vst::IEditController2 {
 public:
  EditController() = default;
  ~EditController() override;

  // IEditController brings its own IPluginBase: both answer as ComponentBase does.
  Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override {
    return ComponentBase::initialize(context);
  }
  // Empties the parameters, releases the handler, then ComponentBase::terminate.
  Steinberg::tresult PLUGIN_API terminate() override;

  Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
  Steinberg::int32 PLUGIN_API getParameterCount() override;
  Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                 Steinberg::Vst::ParameterInfo& info) override;
  Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value,
                                                      Steinberg::Vst::String128 string) override;
  Steinberg::tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID id, Steinberg::Vst::TChar* string,
                                                      Steinberg::Vst::ParamValue& value) override;
  Steinberg::Vst::ParamValue PLUGIN_API normalizedParamToPlain(Steinberg::Vst::ParamID id,
                                                               Steinberg::Vst::ParamValue value) override;
  Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(Steinberg::Vst::ParamID id,
                                                               Steinberg::Vst::ParamValue plain) override;
  Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override;
  // Holds the handler (a reference), releasing the previous one; null clears it.
  Steinberg::tresult PLUGIN_API setComponentHandler(Steinberg::Vst::IComponentHandler* handler) override;
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

  Steinberg::tresult PLUGIN_API setKnobMode(Steinberg::Vst::KnobMode mode) override;
  Steinberg::tresult PLUGIN_API openHelp(Steinberg::TBool onlyCheck) override;
  Steinberg::tresult PLUGIN_API openAboutBox(Steinberg::TBool onlyCheck) override;

  // Edit gestures to the host (UI thread).
  Steinberg::tresult beginEdit(Steinberg::Vst::ParamID id);
  Steinberg::tresult performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value);
  Steinberg::tresult endEdit(Steinberg::Vst::ParamID id);

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  Steinberg::uint32 PLUGIN_API release() override { return FObject::release(); }
  const char* ClassName() const noexcept override { return "EditController"; }
  bool IsTypeOf(const char* name) const noexcept override;

  Steinberg::Vst::IComponentHandler* ComponentHandler() const noexcept { return mHandler; }
  Steinberg::Vst::KnobMode KnobMode() const noexcept { return mKnobMode; }

 protected:
  ParameterContainer mParameters;

 private:
  Steinberg::Vst::IComponentHandler* mHandler = nullptr;
  Steinberg::Vst::KnobMode mKnobMode = Steinberg::Vst::kCircularMode;
};

}  // namespace vst3support
