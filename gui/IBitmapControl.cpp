#include "gui/IBitmapControl.h"

#include "gui/IGraphics.h"

IBitmapControl::IBitmapControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                               const BlendSpec& blend)
    : IControl(plug, rect, paramIdx, blend), mBitmap(bitmap) {}

int IBitmapControl::FrameForValue(int frames, double value) noexcept {
  if (frames < 2) return 1;
  // Out-of-range and non-finite values show the end frames (and keep the cast defined).
  if (!(value >= 0.0)) value = 0.0;
  if (value > 1.0) value = 1.0;
  const int frame = static_cast<int>((frames - 1) * value + 0.5) + 1;
  return frame < 1 ? 1 : (frame > frames ? frames : frame);
}

bool IBitmapControl::Draw(IGraphics* graphics) {
  return graphics->DrawBitmapFrame(mBitmap, mRect, FrameForValue(mBitmap.frames, Value()), &mBlend);
}
