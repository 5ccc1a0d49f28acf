#include "gui/IKnobMultiControl.h"

#include "gui/IGraphics.h"

IKnobMultiControl::IKnobMultiControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                                     KnobDirection direction, double gearing, const BlendSpec& blend)
    : IKnobControl(plug, rect, paramIdx, direction, gearing, blend), mBitmap(bitmap) {}

int IKnobMultiControl::FrameForValue(int frames, double value) noexcept {
  // Out-of-range and non-finite values show the end frames (and keep the cast defined).
  if (!(value >= 0.0)) value = 0.0;
  if (value > 1.0) value = 1.0;
  const int k = static_cast<int>((frames - 1) * value + 0.5);
  if (k < 0) return 1;
  return k + 1 < frames ? k + 1 : frames;
}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
  return graphics->DrawBitmapFrame(mBitmap, mRect, FrameForValue(mBitmap.frames, Value()), &mBlend);
}
