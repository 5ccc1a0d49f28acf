// The instrument built on the headless adapter (renderer and tests).
#pragma once

#include "hosts/headless/IPlugHeadless.h"

using SylvaneAdapter = IPlugHeadless;
