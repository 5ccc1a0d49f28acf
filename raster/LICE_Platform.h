// The raster layer's seam to the operating system: memory contexts and sections for
// LICE_SysBitmap, fonts, glyph coverage and native text. LICE_PlatformWin.cpp implements it with
// GDI, LICE_PlatformLinux.cpp with plain memory, FreeType and fontconfig. Internal to raster/.
#pragma once

#include "raster/LICE_Raster.h"
#include "raster/LICE_Types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace LICE_Platform {

// A screen-compatible memory context (HDC); null on failure.
void* CreateMemoryContext() noexcept;
void DeleteMemoryContext(void* context) noexcept;

// A 32-bit top-down section of width x height (both >= 1, already checked against the size
// limits) selected into context. Returns its handle and sets *bits and *previous (the object it
// replaced in the context); null on failure.
void* CreateSection(void* context, int width, int height, uint32_t** bits, void** previous) noexcept;
// Puts previous back into context and frees section (either may be null).
void DeleteSection(void* context, void* section, void* previous) noexcept;

// A hint that a freshly allocated block of pixels (bytes long) is large and about to be filled:
// where the system can, it backs the block with large pages, so filling it takes a few page faults
// instead of thousands. Changes nothing that can be observed.
void AdviseLargeBlock(void* block, size_t bytes) noexcept;

LICE_FontHandle CreateOsFont(const LICE_FontSpec& fontSpec) noexcept;
void DeleteOsFont(LICE_FontHandle font) noexcept;
// The font's line height in pixels (ascent + descent), 0 for a null font.
int FontLineHeight(LICE_FontHandle font) noexcept;

// One glyph as 8-bit coverage, width x height bytes row by row, placed relative to the glyph's
// origin on the top of its line.
struct GlyphImage {
  int advance = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
// Appends the coverage to *coverage; false when the font cannot render the code point.
bool RenderGlyph(LICE_FontHandle font, uint32_t codepoint, GlyphImage* glyph, std::vector<uint8_t>* coverage);

// Whether the process runs under Wine; decided once, then cached. Always false on Linux.
bool RunningUnderWine() noexcept;
// Whether this platform draws text natively at all (false on Linux).
bool HasNativeText() noexcept;

struct NativeTextRequest {
  void* context = nullptr;       // the destination's device context
  LICE_FontHandle font = nullptr;
  const char* text = nullptr;    // UTF-8
  int length = 0;                // bytes
  int flags = 0;                 // LICE_DT_* without LICE_DT_USEFGALPHA
  uint32_t textColor = 0;
  int bkMode = 1;
  uint32_t bkColor = 0;
};
// Draws (or with LICE_DT_CALCRECT measures, writing the rectangle back) natively. Returns the
// text height, 0 on failure or where there is no native path.
int DrawNativeText(const NativeTextRequest& request, LICE_Rect* rect) noexcept;

}  // namespace LICE_Platform
