#include "gui/IGraphics.h"

#include "core/IPlugBase.h"
#include "gui/IControl.h"

#include <new>

namespace {
constexpr size_t kControlListStep = 4096 / sizeof(IControl*);  // the list grows in 4 KB steps
}  // namespace

IGraphics::IGraphics(IPlugBase* plug, int width, int height, int frameRate)
    : mPlug(plug), mWidth(width), mHeight(height), mFrameRate(frameRate) {
  mControls.reserve(kControlListStep);
}

IGraphics::~IGraphics() {
  for (size_t i = mControls.size(); i > 0; --i) delete mControls[i - 1];
}

IControl* IGraphics::AddControl(IControl* control) {
  if (!control) return nullptr;
  try {
    if (mControls.size() == mControls.capacity()) mControls.reserve(mControls.size() + kControlListStep);
    mControls.push_back(control);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return control;
}

void IGraphics::PushParamToControls(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    const PlugParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->ToNormalized(value);
  }
  for (IControl* control : mControls) {
    if (control->ParamIdx() == paramIdx) control->ApplyPlugValue(value);
    for (int a = 0; a < control->NAuxParams(); ++a) {
      if (control->AuxParamAt(a)->paramIdx == paramIdx) {
        control->ApplyAuxPlugValue(a, value);
        break;
      }
    }
  }
}

void IGraphics::PrepareBuffers() { mBuffersPrepared = true; }

IControl* IGraphics::GetControl(int idx) const noexcept {
  return idx >= 0 && idx < NControls() ? mControls[static_cast<size_t>(idx)] : nullptr;
}
