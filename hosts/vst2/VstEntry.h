// The VST 2 module's entry point, also exported under the legacy name main.
#pragma once

#include "hosts/vst2/VstAbi.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback hostCallback);
