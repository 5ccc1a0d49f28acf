#include "gui/ISwitchControl.h"

namespace {
constexpr double kWrapAbove = 1.001;  // a step past 1 (allowing for rounding) wraps to 0
}  // namespace

ISwitchControl::ISwitchControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                               const BlendSpec& blend)
    : IBitmapControl(plug, rect, paramIdx, bitmap, blend) {}

void ISwitchControl::HandleMouseDown(int /*x*/, int /*y*/, const MouseMods& /*mods*/) {
  double v = Value() + (mBitmap.frames < 2 ? 1.0 : 1.0 / (mBitmap.frames - 1));
  if (v > kWrapAbove) v = 0.0;
  SetValue(v);
  MarkDirty(true);
}

void ISwitchControl::HandleDoubleClick(int x, int y, const MouseMods& mods) { HandleMouseDown(x, y, mods); }
