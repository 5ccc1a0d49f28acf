// A control turned by dragging (vertically or horizontally) and by the wheel. Dragging by the
// control's own height (or width) moves the value by 1 / gearing; shift or control makes every
// movement ten times finer. A wheel notch moves 0.01 (0.001 fine).
#pragma once

#include "gui/IControl.h"

enum KnobDirection : int32_t { kKnobVertical = 0, kKnobHorizontal = 1 };

class IKnobControl : public IControl {
 public:
  static constexpr double kDefaultGearing = 4.0;

  IKnobControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, KnobDirection direction = kKnobVertical,
               double gearing = kDefaultGearing, const BlendSpec& blend = BlendSpec());

  void HandleMouseDrag(int x, int y, int dX, int dY, const MouseMods& mods) override;
  void HandleWheel(int x, int y, const MouseMods& mods, int steps) override;

  KnobDirection Direction() const noexcept { return mDirection; }
  double Gearing() const noexcept { return mGearing; }

 protected:
  KnobDirection mDirection = kKnobVertical;
  double mGearing = kDefaultGearing;
};
