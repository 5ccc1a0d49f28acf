// A knob drawn from a strip of N frames: frame 1 (top of a vertical strip) at value 0, frame N at
// value 1. The editor's knobs are vertical strips of 29 frames.
#pragma once

#include "gui/IKnobControl.h"

class IKnobMultiControl : public IKnobControl {
 public:
  IKnobMultiControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                    KnobDirection direction = kKnobVertical, double gearing = kDefaultGearing,
                    const BlendSpec& blend = BlendSpec());

  bool Draw(IGraphics* graphics) override;
  const GuiBitmap& Bitmap() const noexcept { return mBitmap; }
  // The 1-based frame shown for `value` on a strip of `frames` frames.
  static int FrameForValue(int frames, double value) noexcept;

 private:
  GuiBitmap mBitmap;
};
