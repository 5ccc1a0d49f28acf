#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"

namespace LICE {
std::unique_ptr<LICE_MemBitmap> LoadPNGFromMemory(const void*, size_t) { return nullptr; }
bool IsPNGFileName(const char*) noexcept { return false; }
bool EncodePNG(const LICE_IBitmap&, std::vector<uint8_t>* out) { if (out) out->clear(); return false; }
bool WritePNG(const char*, const LICE_IBitmap&) { return false; }
}  // namespace LICE
