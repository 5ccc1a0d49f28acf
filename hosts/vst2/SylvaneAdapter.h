// The instrument built on the VST 2 adapter (Sylvane.dll, Sylvane.so).
#pragma once

#include "hosts/vst2/IPlugVST.h"

using SylvaneAdapter = IPlugVST;
