#include "gui/IKnobControl.h"

namespace {
constexpr double kFineFactor = 10.0;
constexpr double kWheelStep = 0.01;
constexpr double kFineWheelStep = 0.001;
}  // namespace

IKnobControl::IKnobControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, KnobDirection direction,
                           double gearing, const BlendSpec& blend)
    : IControl(plug, rect, paramIdx, blend), mDirection(direction), mGearing(gearing) {}

void IKnobControl::HandleMouseDrag(int /*x*/, int /*y*/, int dX, int dY, const MouseMods& mods) {
  double gearing = mGearing;
  if (mods.C || mods.S) gearing *= kFineFactor;
  double v = Value();
  // The vertical span is negative, so dragging up (dY < 0) turns the knob up.
  if (mDirection == kKnobVertical) {
    const int span = mRect.top - mRect.bottom;
    if (span != 0) v += static_cast<double>(dY) / span / gearing;
  } else {
    const int span = mRect.right - mRect.left;
    if (span != 0) v += static_cast<double>(dX) / span / gearing;
  }
  SetValue(v);
  MarkDirty(true);
}

void IKnobControl::HandleWheel(int /*x*/, int /*y*/, const MouseMods& mods, int steps) {
  SetValue(Value() + steps * ((mods.C || mods.S) ? kFineWheelStep : kWheelStep));
  MarkDirty(true);
}
