// A control drawn from one frame of a bitmap strip: frame 1 at value 0 up to frame N at value 1.
// Used for the background, decorative layers and button faces.
#pragma once

#include "gui/IControl.h"

class IBitmapControl : public IControl {
 public:
  IBitmapControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                 const BlendSpec& blend = BlendSpec());

  bool Draw(IGraphics* graphics) override;

  const GuiBitmap& Bitmap() const noexcept { return mBitmap; }
  // The 1-based frame shown for `value` on a strip of `frames` frames.
  static int FrameForValue(int frames, double value) noexcept;

 protected:
  GuiBitmap mBitmap;
};
