#include "raster/EditorImageResource.h"

#include "raster/LICE_Raster.h"

std::unique_ptr<LICE_MemBitmap> LoadPngResource(void* module, int id) {
  EditorImageBytes bytes;
  if (!FindEditorImage(module, id, &bytes) || bytes.size < 8) return nullptr;
  return LICE::LoadPNGFromMemory(bytes.data, bytes.size);
}

namespace LICE {
std::unique_ptr<LICE_MemBitmap> LoadPNGFromResource(void* module, int id) { return LoadPngResource(module, id); }
}  // namespace LICE
