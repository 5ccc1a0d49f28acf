#include "vst3support/EditController.h"

#include <cmath>

namespace vst3support {

using namespace Steinberg;
using namespace Steinberg::Vst;

EditController::~EditController() { EditController::terminate(); }

tresult PLUGIN_API EditController::terminate() {
  mParameters.Clear();
  setComponentHandler(nullptr);
  return ComponentBase::terminate();
}

tresult PLUGIN_API EditController::setComponentState(IBStream*) { return kNotImplemented; }
tresult PLUGIN_API EditController::setState(IBStream*) { return kNotImplemented; }
tresult PLUGIN_API EditController::getState(IBStream*) { return kNotImplemented; }

int32 PLUGIN_API EditController::getParameterCount() { return mParameters.Count(); }

tresult PLUGIN_API EditController::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  const Parameter* parameter = mParameters.At(paramIndex);
  if (parameter == nullptr) return kInvalidArgument;
  info = parameter->Info();
  return kResultOk;
}

tresult PLUGIN_API EditController::getParamStringByValue(ParamID id, ParamValue value, String128 string) {
  const Parameter* parameter = mParameters.ById(id);
  if (string == nullptr) return kInvalidArgument;
  if (parameter == nullptr || !std::isfinite(value)) return kResultFalse;
  parameter->ToString(value, string);
  return kResultOk;
}

tresult PLUGIN_API EditController::getParamValueByString(ParamID id, TChar* string, ParamValue& value) {
  const Parameter* parameter = mParameters.ById(id);
  if (string == nullptr) return kInvalidArgument;
  if (parameter == nullptr) return kResultFalse;
  return parameter->FromString(string, value) ? kResultOk : kResultFalse;
}

ParamValue PLUGIN_API EditController::normalizedParamToPlain(ParamID id, ParamValue value) {
  const Parameter* parameter = mParameters.ById(id);
  return parameter ? parameter->ToPlain(value) : value;
}

ParamValue PLUGIN_API EditController::plainParamToNormalized(ParamID id, ParamValue plain) {
  const Parameter* parameter = mParameters.ById(id);
  return parameter ? parameter->ToNormalized(plain) : plain;
}

ParamValue PLUGIN_API EditController::getParamNormalized(ParamID id) {
  const Parameter* parameter = mParameters.ById(id);
  return parameter ? parameter->Normalized() : 0.0;
}

tresult PLUGIN_API EditController::setParamNormalized(ParamID id, ParamValue value) {
  Parameter* parameter = mParameters.ById(id);
  return parameter && parameter->SetNormalized(value) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API EditController::setComponentHandler(IComponentHandler* handler) {
  if (handler == mHandler) return kResultOk;
  if (handler != nullptr) handler->addRef();
  if (mHandler != nullptr) mHandler->release();
  mHandler = handler;
  return kResultOk;
}

IPlugView* PLUGIN_API EditController::createView(FIDString) { return nullptr; }

tresult PLUGIN_API EditController::setKnobMode(Vst::KnobMode mode) {
  if (mode < kCircularMode || mode > kLinearMode) return kResultFalse;
  mKnobMode = mode;
  return kResultOk;
}

tresult PLUGIN_API EditController::openHelp(TBool) { return kResultFalse; }
tresult PLUGIN_API EditController::openAboutBox(TBool) { return kResultFalse; }

tresult EditController::beginEdit(ParamID id) { return mHandler ? mHandler->beginEdit(id) : kResultFalse; }

tresult EditController::performEdit(ParamID id, ParamValue value) {
  return mHandler ? mHandler->performEdit(id, value) : kResultFalse;
}

tresult EditController::endEdit(ParamID id) { return mHandler ? mHandler->endEdit(id) : kResultFalse; }

tresult PLUGIN_API EditController::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (Answer(iid, IEditController::iid, static_cast<IEditController*>(this), obj)) return kResultOk;
  if (Answer(iid, IEditController2::iid, static_cast<IEditController2*>(this), obj)) return kResultOk;
  return ComponentBase::queryInterface(iid, obj);
}

bool EditController::IsTypeOf(const char* name) const noexcept {
  return IsName(name, "EditController") || ComponentBase::IsTypeOf(name);
}

}  // namespace vst3support
