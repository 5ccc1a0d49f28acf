// Applies the preset named on the snapshot's command line the way the editor does: a library
// index (1..106) or library menu text through the preset selector, anything else as a preset file
// through the load picker. Compiled into each snapshot executable beside its instrument variant.
#pragma once

#include "instrument/Sylvane.h"

#include <string>

// False with a message in error when the preset cannot be found or holds no settings.
bool LoadPresetChoice(Sylvane& plug, const std::string& preset, std::string& error);
