// A font that renders each glyph once through the operating-system font, keeps it as 8-bit
// coverage and blends it into bitmaps in the text colour. On Windows a font with
// LICE_FONT_FLAG_FORCE_NATIVE draws with GDI instead, except under Wine or when the text
// colour's alpha is requested (LICE_DT_USEFGALPHA). On Linux every text goes through the glyph
// cache (FreeType coverage). Use on the UI thread only.
#pragma once

#include "raster/LICE_IFont.h"
#include "raster/LICE_MemBitmap.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class LICE_CachedFont final : public LICE_IFont {
 public:
  LICE_CachedFont();
  ~LICE_CachedFont() override;

  void SetFromOsFont(LICE_FontHandle font, int flags) override;
  uint32_t SetTextColor(uint32_t color) override;
  void SetBkColor(uint32_t color) override { mBkColor = color; }
  void SetEffectColor(uint32_t color) override { mEffectColor = color; }
  void SetBkMode(int mode) override { mBkMode = mode; }
  void SetCombineMode(int mode, float weight) override;
  int DrawString(LICE_IBitmap* dest, const char* text, int length, LICE_Rect* rect, int flags) override;
  uint32_t TextColor() const noexcept override { return mTextColor; }
  LICE_FontHandle OsFont() const noexcept override { return mFont; }
  int LineHeight() const noexcept override { return mLineHeight; }
  // Tests: let LICE_FONT_FLAG_FORCE_NATIVE fonts draw with GDI under Wine as well, so the native
  // path runs in the Windows test lane. Process-wide; UI thread.
  static void AllowNativeTextUnderWine(bool allow) noexcept;
  int DrawCachedGlyphs(LICE_IBitmap* dest, const char* text, int length, LICE_Rect* rect, int flags) override;

  int Flags() const noexcept { return mFlags; }
  // Glyphs rendered so far (for tests and diagnostics).
  size_t CachedGlyphCount() const noexcept { return mGlyphs.size(); }

 private:
  struct Glyph {
    int advance = 0;    // pixels to the next glyph's origin
    int left = 0;       // coverage box relative to the glyph origin on the line's top
    int top = 0;
    int width = 0;
    int height = 0;
    size_t offset = 0;  // into mGlyphPixels
  };

  const Glyph* FindGlyph(uint32_t codepoint);
  bool UseNative(const LICE_IBitmap* dest, int flags) const noexcept;

  uint32_t mTextColor = 0;
  uint32_t mBkColor = 0xFFFFFFFFu;
  uint32_t mEffectColor = 0xFFFFFFFFu;
  int mBkMode = LICE_BKMODE_TRANSPARENT;
  int mCombineMode = LICE_BLIT_MODE_COPY;
  float mCombineWeight = 1.0f;
  int mFlags = 0;
  int mLineHeight = 0;
  std::unordered_map<uint32_t, Glyph> mGlyphs;
  std::vector<uint8_t> mGlyphPixels;
  LICE_FontHandle mFont = nullptr;
  std::vector<uint32_t> mCodepoints;  // scratch of one draw call
  LICE_MemBitmap mCanvas;             // the text in its colour, coverage as alpha
};
