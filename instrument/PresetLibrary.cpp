#include "instrument/PresetLibrary.h"

#include "instrument/SharedFolder.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const kFactoryPresets[] = {
    "WLCM - Into The Storm",       "SFX - Wind (Stochastic)",       "SFX - Wind (ControlChange)",
    "SFX - Foliage (Stochastic)",  "SFX - Foliage (ControlChange)", "SFX - The Blizzard",
};
constexpr int kFactoryCount = sizeof kFactoryPresets / sizeof kFactoryPresets[0];

}  // namespace

const PresetSubmenu kPresetSubmenus[kPresetSubmenuCount] = {
    {"Factory > SFX", 2, 5},
    {"User > User Bank A", 7, 25},
    {"User > User Bank B", 32, 25},
    {"User > User Bank C", 57, 25},
    {"User > User Bank D", 82, 25},
};

std::string PresetMenuText(int index) {
  if (index == 0) return "< Presets Library >";
  if (index >= 1 && index <= kFactoryCount) return kFactoryPresets[index - 1];
  if (index >= kUserPresetFirstIndex && index <= kPresetLibraryLast) {
    char text[64];
    std::snprintf(text, sizeof text, "USR - Sylvane User Preset %03d", index - kUserPresetFirstIndex + 1);
    return text;
  }
  return std::string();
}

std::string PresetRelativeFile(int index) {
  if (index < 1 || index > kPresetLibraryLast) return std::string();
  const char* folder = index <= kFactoryCount ? "Factory/" : "User/";
  return folder + PresetMenuText(index) + ".sylvanepreset";
}

std::string PresetLibraryFolder() {
  std::string folder = SharedDocumentsFolder();
  std::replace(folder.begin(), folder.end(), '\\', '/');
  return folder + "/KorvelAudio/Sylvane/Presets/";
}

std::string PresetLibraryPath(int index) {
  std::string path = PresetLibraryFolder() + PresetRelativeFile(index);
  if (path.size() > static_cast<size_t>(kPresetPathLimit)) path.resize(kPresetPathLimit);
  return path;
}

int PresetMenuIndex(int submenu, int position) {
  if (submenu == -1) return position == 0 || position == 1 ? position : -1;
  if (submenu < 0 || submenu >= kPresetSubmenuCount) return -1;
  const PresetSubmenu& menu = kPresetSubmenus[submenu];
  return position >= 0 && position < menu.count ? menu.firstIndex + position : -1;
}
