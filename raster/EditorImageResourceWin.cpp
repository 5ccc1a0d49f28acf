// The module's images are resources of type "PNG" (compiled from the resource script that
// sylvane_add_editor_images generates).
#include "raster/EditorImageResource.h"

#include <windows.h>

bool FindEditorImage(void* module, int id, EditorImageBytes* out) {
  if (!out) return false;
  *out = {};
  HMODULE mod = static_cast<HMODULE>(module);
  HRSRC info = FindResourceA(mod, MAKEINTRESOURCEA(id), "PNG");
  if (!info) return false;
  HGLOBAL handle = LoadResource(mod, info);
  const DWORD size = SizeofResource(mod, info);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data || size == 0) return false;
  out->data = static_cast<const uint8_t*>(data);
  out->size = size;
  return true;
}

void* ThisExecutableModule() noexcept { return GetModuleHandleA(nullptr); }

void RegisterEmbeddedEditorImages(const EmbeddedEditorImage*, size_t) noexcept {}
