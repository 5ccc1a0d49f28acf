// A bitmap control that steps through its frames on each click: 0, 1/(N-1), ..., 1, then 0
// again (a one-frame switch alternates 0 and 1).
#pragma once

#include "gui/IBitmapControl.h"

class ISwitchControl : public IBitmapControl {
 public:
  ISwitchControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                 const BlendSpec& blend = BlendSpec());

  void HandleMouseDown(int x, int y, const MouseMods& mods) override;
  void HandleDoubleClick(int x, int y, const MouseMods& mods) override;
};
