// Host identification from the host's product name (any thread; no lock, no allocation).
#pragma once

#include "core/PlugTypes.h"

// Lower-cases the first 255 characters of name and returns the kind of the first known host
// whose name occurs in it, in the fixed order of the host table; kHostUnknown when none does
// or when name is null or empty.
HostKind IdentifyHost(const char* name) noexcept;
