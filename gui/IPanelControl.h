// A rectangle filled with one colour, blended by the colour's alpha.
#pragma once

#include "gui/IControl.h"

class IPanelControl : public IControl {
 public:
  IPanelControl(IPlugBase* plug, const GuiRect& rect, const GuiColor& color, const BlendSpec& blend = BlendSpec());

  bool Draw(IGraphics* graphics) override;
  const GuiColor& Color() const noexcept { return mColor; }

 private:
  GuiColor mColor;
};
