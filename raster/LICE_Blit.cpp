#include "raster/LICE_IBitmap.h"
#include "raster/LICE_Raster.h"

namespace LICE {
void Blit(LICE_IBitmap*, const LICE_IBitmap*, int, int, const LICE_Rect*, float, int) {}
void FillRect(LICE_IBitmap*, int, int, int, int, uint32_t, float, int) {}
}  // namespace LICE
