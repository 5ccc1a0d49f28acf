#include "tools/render/PresetChoice.h"

#include "instrument/PresetFile.h"
#include "instrument/PresetLibrary.h"
#include "tools/render/RenderOptions.h"

#include <cmath>

namespace {

// Why a preset file would not load (false), or a warning when its reading stops part-way.
bool CheckPreset(const std::string& path, const std::string& what, bool library, std::string& error,
                 std::string& warning) {
  const PresetFileCheck check = CheckPresetFile(path);
  switch (check.status) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::CannotOpen:
      error = library ? what + " is not installed at " + path + " (scripts/install-presets.sh installs the factory presets)"
                      : "cannot read " + what + " (not a file, a library index or a library preset name)";
      return false;
    case FileReadStatus::NotRegular:
      error = what + " is not a regular file";
      return false;
    case FileReadStatus::TooLarge:
      error = what + " is larger than " + std::to_string(kPresetFileLimit / 1024) + " KiB: not a preset file";
      return false;
  }
  if (check.count == 0) {
    if (check.holdsNul)
      error = what + " holds no settings: it looks like UTF-16 text (save it as 8-bit text)";
    else if (check.stoppedAt)
      error = what + " holds no settings: the value of <" + check.stoppedAt + "> is unusable (" + check.error + ")";
    else
      error = what + " holds no settings: no sound parameter element in its last line";
    return false;
  }
  if (check.stoppedAt)
    warning = what + ": reading stopped at <" + check.stoppedAt + "> (" + check.error + "); the " +
              std::to_string(check.count) + " value(s) before it apply";
  return true;
}

}  // namespace


bool LoadPresetChoice(Sylvane& plug, const std::string& preset, std::string& path, std::string& error,
                      std::string& warning) {
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
    path = PresetLibraryPath(index);
    if (!CheckPreset(path, "library preset " + std::to_string(index) + " \"" + PresetMenuText(index) + "\"", true,
                     error, warning))
      return false;
    plug.SelectLibraryPreset(index);
    return true;
  }
  path = preset;
  if (!CheckPreset(preset, "preset '" + preset + "'", false, error, warning)) return false;
  if (!plug.LoadPresetFile(preset)) {
    error = "preset file '" + preset + "' holds no settings";
    return false;
  }
  return true;
}
