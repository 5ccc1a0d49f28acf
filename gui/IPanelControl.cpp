#include "gui/IPanelControl.h"

#include "gui/IGraphics.h"

IPanelControl::IPanelControl(IPlugBase* plug, const GuiRect& rect, const GuiColor& color, const BlendSpec& blend)
    : IControl(plug, rect, -1, blend), mColor(color) {}

bool IPanelControl::Draw(IGraphics* graphics) { return graphics->FillRect(mColor, mRect, &mBlend); }
