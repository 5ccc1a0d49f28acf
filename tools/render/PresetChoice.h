// Applies a preset named on a tool's command line the way the editor does: a library index
// (1..106) or library menu text through the preset selector, anything else as a preset file
// through the load picker. Only regular files are read. Compiled into each tool beside the
// instrument variant it links (the Sylvane class differs per variant).
#pragma once

#include "instrument/Sylvane.h"

#include <string>

// False with a message in `error` when the preset cannot be found or holds no settings. `path`
// receives the file read; `warning` a note when the file's reading stopped part-way.
bool LoadPresetChoice(Sylvane& plug, const std::string& preset, std::string& path, std::string& error,
                      std::string& warning);
