#include "raster/LICE_IBitmap.h"

intptr_t LICE_IBitmap::Extended(int, intptr_t) noexcept { return 0; }
