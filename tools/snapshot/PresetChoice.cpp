#include "tools/snapshot/PresetChoice.h"

#include "instrument/PresetLibrary.h"
#include "tools/render/RenderOptions.h"

#include <cmath>
#include <cstdio>

namespace {
bool FileReadable(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

}  // namespace

bool LoadPresetChoice(Sylvane& plug, const std::string& preset, std::string& error) {
  int index = 0;
  double number = 0.0;
  if (ParseNumber(preset, number) && number == std::floor(number)) {
    if (number < 1 || number > kPresetLibraryLast) {
      error = "no library preset " + preset + " (1 to " + std::to_string(kPresetLibraryLast) + ")";
      return false;
    }
    index = static_cast<int>(number);
  } else {
    for (int i = 1; i <= kPresetLibraryLast && index == 0; ++i)
      if (PresetMenuText(i) == preset) index = i;
  }

  if (index > 0) {
    const std::string path = PresetLibraryPath(index);
    if (!FileReadable(path)) {
      error = "library preset " + std::to_string(index) + " \"" + PresetMenuText(index) + "\" is not installed at " +
              path + " (scripts/install-presets.sh installs the factory presets)";
      return false;
    }
    plug.SelectLibraryPreset(index);
    return true;
  }
  if (!FileReadable(preset)) {
    error = "cannot read preset '" + preset + "' (not a file, a library index or a library preset name)";
    return false;
  }
  if (!plug.LoadPresetFile(preset)) {
    error = "preset file '" + preset + "' holds no settings";
    return false;
  }
  return true;
}

