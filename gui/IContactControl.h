// A momentary button: pressing steps it like a switch, releasing sets it back to 0. Each change
// goes to the plug-in.
#pragma once

#include "gui/ISwitchControl.h"

class IContactControl : public ISwitchControl {
 public:
  IContactControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                  const BlendSpec& blend = BlendSpec());

  void HandleMouseUp(int x, int y, const MouseMods& mods) override;
};
