#include "raster/LICE_Platform.h"

#include <cstdlib>

namespace LICE_Platform {
void* CreateMemoryContext() noexcept { static int token; return &token; }
void DeleteMemoryContext(void*) noexcept {}
void* CreateSection(void*, int width, int height, uint32_t** bits, void** previous) noexcept {
  void* p = std::aligned_alloc(64, (static_cast<size_t>(width) * height * 4 + 63) & ~size_t{63});
  *bits = static_cast<uint32_t*>(p);
  *previous = nullptr;
  return p;
}
void DeleteSection(void*, void* section, void*) noexcept { std::free(section); }
LICE_FontHandle CreateOsFont(const LICE_FontSpec&) noexcept { return nullptr; }
void DeleteOsFont(LICE_FontHandle) noexcept {}
int FontLineHeight(LICE_FontHandle) noexcept { return 0; }
bool RenderGlyph(LICE_FontHandle, uint32_t, GlyphImage*, std::vector<uint8_t>*) { return false; }
bool RunningUnderWine() noexcept { return false; }
bool HasNativeText() noexcept { return false; }
int DrawNativeText(const NativeTextRequest&, LICE_Rect*) noexcept { return 0; }
}  // namespace LICE_Platform
