// The module's images are linked into it (see sylvane_add_editor_images); the generated table
// registers itself before main or when the module is loaded.
#include "raster/EditorImageResource.h"

namespace {

const EmbeddedEditorImage* gImages = nullptr;
size_t gImageCount = 0;

}  // namespace

bool FindEditorImage(void*, int id, EditorImageBytes* out) {
  if (!out) return false;
  *out = {};
  for (size_t i = 0; i < gImageCount; ++i) {
    if (gImages[i].id == id && gImages[i].data) {
      out->data = gImages[i].data;
      out->size = gImages[i].size;
      return true;
    }
  }
  return false;
}

void* ThisExecutableModule() noexcept { return nullptr; }

void RegisterEmbeddedEditorImages(const EmbeddedEditorImage* images, size_t count) noexcept {
  gImages = images;
  gImageCount = images ? count : 0;
}
