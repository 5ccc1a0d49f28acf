#include "gui/IContactControl.h"

IContactControl::IContactControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, const GuiBitmap& bitmap,
                                 const BlendSpec& blend)
    : ISwitchControl(plug, rect, paramIdx, bitmap, blend) {}

void IContactControl::HandleMouseUp(int /*x*/, int /*y*/, const MouseMods& /*mods*/) {
  SetValue(0.0);
  MarkDirty(true);
}
