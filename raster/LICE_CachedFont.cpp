#include "raster/LICE_CachedFont.h"

#include "raster/LICE_Platform.h"

LICE_CachedFont::LICE_CachedFont() = default;
LICE_CachedFont::~LICE_CachedFont() {
  if ((mFlags & LICE_FONT_FLAG_OWNS_HFONT) && mFont) LICE_Platform::DeleteOsFont(mFont);
}
void LICE_CachedFont::SetFromOsFont(LICE_FontHandle font, int flags) { mFont = font; mFlags = flags; }
uint32_t LICE_CachedFont::SetTextColor(uint32_t color) { const uint32_t old = mTextColor; mTextColor = color; return old; }
void LICE_CachedFont::SetCombineMode(int mode, float weight) { mCombineMode = mode; mCombineWeight = weight; }
int LICE_CachedFont::DrawString(LICE_IBitmap*, const char*, int, LICE_Rect*, int) { return 0; }
int LICE_CachedFont::DrawCachedGlyphs(LICE_IBitmap*, const char*, int, LICE_Rect*, int) { return 0; }

namespace LICE {
LICE_FontHandle CreateOsFont(const LICE_FontSpec& spec) { return LICE_Platform::CreateOsFont(spec); }
void DeleteOsFont(LICE_FontHandle font) noexcept { LICE_Platform::DeleteOsFont(font); }
}  // namespace LICE
