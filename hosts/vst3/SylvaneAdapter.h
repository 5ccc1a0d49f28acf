// The instrument in the VST 3 module derives from the VST 3 adapter.
#pragma once

#include "hosts/vst3/IPlugVST3.h"

using SylvaneAdapter = IPlugVST3;
