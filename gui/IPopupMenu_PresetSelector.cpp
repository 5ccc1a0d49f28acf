#include "gui/IPopupMenu_PresetSelector.h"

#include "core/IPlugBase.h"
#include "gui/IGraphics.h"

#include <cstdio>
#include <mutex>

namespace {
constexpr int kMenuBase[IPopupMenu_PresetSelector::kNMenus] = {0, 2, 7, 32, 57, 82};
constexpr int kUserBankSize = 25;
const char* const kFactoryNames[] = {"SFX - Wind (Stochastic)", "SFX - Wind (ControlChange)",
                                     "SFX - Foliage (Stochastic)", "SFX - Foliage (ControlChange)",
                                     "SFX - The Blizzard"};
const char* const kMainSubmenuTitles[] = {"Factory > SFX", "User > User Bank A", "User > User Bank B",
                                          "User > User Bank C", "User > User Bank D"};
}  // namespace

IPopupMenu_PresetSelector::IPopupMenu_PresetSelector(IPlugBase* plug, const GuiRect& rect)
    : IControl(plug, rect, -1, BlendSpec{kBlendNone, 1.0f}) {
  for (PopupMenu*& menu : mMenus) menu = new PopupMenu(0);
  PopupMenu& main = *mMenus[0];
  main.AddItem("< Presets Library >");
  main.AddItem("WLCM - Into The Storm");
  for (int m = 1; m < kNMenus; ++m) main.AddItem(kMainSubmenuTitles[m - 1], mMenus[m]);
  for (const char* name : kFactoryNames) mMenus[1]->AddItem(name);
  for (int bank = 0; bank < 4; ++bank) {
    for (int k = 0; k < kUserBankSize; ++k) {
      char text[40];
      std::snprintf(text, sizeof text, "USR - Sylvane User Preset %03d", bank * kUserBankSize + k + 1);
      mMenus[2 + bank]->AddItem(text);
    }
  }
}

IPopupMenu_PresetSelector::~IPopupMenu_PresetSelector() {
  for (PopupMenu* menu : mMenus) delete menu;
}

int IPopupMenu_PresetSelector::PresetNumber(const PopupMenu* menu, int item) const noexcept {
  for (int m = 0; m < kNMenus; ++m) {
    if (menu != mMenus[m]) continue;
    const PopupMenuItem* entry = menu->Item(item);
    // A sub-menu heading is not a preset.
    return entry && !entry->submenu ? kMenuBase[m] + item : -1;
  }
  return -1;
}

void IPopupMenu_PresetSelector::HandleMouseDown(int /*x*/, int /*y*/, const MouseMods& /*mods*/) {
  IGraphics* graphics = mPlug ? mPlug->Graphics() : nullptr;
  PlugParam* selector = mPlug ? mPlug->GetParam(kPresetSelectorParam) : nullptr;
  if (graphics && selector) {
    for (PopupMenu* menu : mMenus) menu->SetChosen(-1);
    const PopupMenu* chosen = graphics->ShowPopupMenu(mMenus[0], mRect);
    const int number = chosen ? PresetNumber(chosen, chosen->Chosen()) : -1;
    // Without a plug-in any more the instance went away while the menu was open.
    if (number >= 0 && mPlug) {
      std::lock_guard<std::recursive_mutex> lock(mPlug->ParamLock());
      // Stored as a plain value (no host notification); SetValue clamps to the parameter's range.
      selector->SetValue(static_cast<float>(number));
      mPlug->HandleParamChange(kPresetSelectorParam);
    }
  }
  mRedrawPending.store(true, std::memory_order_release);
  MarkDirty(true);
}

bool IPopupMenu_PresetSelector::Draw(IGraphics* graphics) {
  const BlendSpec blend{kBlendNone, 1.0f};
  return graphics->FillRect(GuiColor{0, 0, 0, 0}, mRect, &blend);
}
