// An invisible click zone over the preset name: a click opens the preset library's menu (the
// heading, the welcome preset, the factory sub-menu and four user banks) and the chosen entry's
// library number goes straight into the plug-in's PresetSelector parameter, which loads it.
// Bound to no parameter; the host is not told (the plug-in's own handling reports the preset).
#pragma once

#include "gui/IControl.h"

class IPopupMenu_PresetSelector : public IControl {
 public:
  static constexpr int kNMenus = 6;  // main, factory, user banks A to D
  static constexpr int kPresetSelectorParam = 14;

  IPopupMenu_PresetSelector(IPlugBase* plug, const GuiRect& rect);
  ~IPopupMenu_PresetSelector() override;

  void HandleMouseDown(int x, int y, const MouseMods& mods) override;
  // Fills with a fully transparent colour: the background stays visible.
  bool Draw(IGraphics* graphics) override;

  // Menu m (0 main, 1 factory, 2..5 banks A..D).
  const PopupMenu* Menu(int m) const noexcept { return m >= 0 && m < kNMenus ? mMenus[m] : nullptr; }
  // The library number of item `item` of the menu `menu` returned by ShowPopupMenu, or -1 when
  // the menu is not one of this control's.
  int PresetNumber(const PopupMenu* menu, int item) const noexcept;

 private:
  PopupMenu* mMenus[kNMenus] = {};
};
