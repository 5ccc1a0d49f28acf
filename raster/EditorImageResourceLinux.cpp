#include "raster/EditorImageResource.h"

bool FindEditorImage(void*, int, EditorImageBytes* out) { if (out) *out = {}; return false; }
void* ThisExecutableModule() noexcept { return nullptr; }
void RegisterEmbeddedEditorImages(const EmbeddedEditorImage*, size_t) noexcept {}
