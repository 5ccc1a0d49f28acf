// The fixed catalogue of the preset library: 106 entries below the shared documents folder
// (one welcome preset, five factory presets, one hundred user presets in four banks of 25),
// their menu texts, their files and the menu structure of the preset selector.
#pragma once

#include <string>

constexpr int kPresetLibraryLast = 106;   // entries 1..106 have files; 0 is the menu title
constexpr int kPresetPathLimit = 511;     // longest library path, in characters
constexpr int kUserPresetFirstIndex = 7;  // user preset n (1..100) has index n + 6

// "< Presets Library >" for 0, the entry's menu text for 1..106, else the empty text.
std::string PresetMenuText(int index);

// The entry's file relative to the library folder ("Factory/..." or "User/..."), or the empty
// text when the index has no file (0, negative, above 106).
std::string PresetRelativeFile(int index);

// The shared documents folder with '/' separators followed by "/KorvelAudio/Sylvane/Presets/"
// (only that suffix when the shared folder cannot be determined).
std::string PresetLibraryFolder();

// Library folder + the entry's file, cut to kPresetPathLimit characters.
std::string PresetLibraryPath(int index);

// The preset selector's menu: two top-level entries (indices 0 and 1) then five submenus.
struct PresetSubmenu {
  const char* title;
  int firstIndex;
  int count;
};
constexpr int kPresetSubmenuCount = 5;
extern const PresetSubmenu kPresetSubmenus[kPresetSubmenuCount];

// The library index of entry `position` (from 0) of submenu `submenu`, or of top-level entry
// `position` when submenu is -1. -1 when the position lies outside that menu.
int PresetMenuIndex(int submenu, int position);
