// The abstract font: draws UTF-8 text into a bitmap in its text colour.
#pragma once

#include "raster/LICE_Types.h"

class LICE_IBitmap;

// Font flags.
constexpr int LICE_FONT_FLAG_PRECALCALL = 0x4;        // render glyphs 0..127 when the font is set
constexpr int LICE_FONT_FLAGS_GLYPH_ONLY = 0x1f3;     // effects only the glyph renderer knows
constexpr int LICE_FONT_FLAG_OWNS_HFONT = 0x200;      // deletes its OS font when replaced or destroyed
constexpr int LICE_FONT_FLAG_FORCE_NATIVE = 0x400;    // prefer the operating system's text drawing

// Background modes.
constexpr int LICE_BKMODE_TRANSPARENT = 1;
constexpr int LICE_BKMODE_OPAQUE = 2;

class LICE_IFont {
 public:
  LICE_IFont() = default;
  LICE_IFont(const LICE_IFont&) = delete;
  LICE_IFont& operator=(const LICE_IFont&) = delete;

  virtual ~LICE_IFont() = default;
  // Takes font (may be null) with the LICE_FONT_FLAG_* flags; with LICE_FONT_FLAG_OWNS_HFONT the
  // font deletes it when it is replaced by another handle or the font is destroyed.
  virtual void SetFromOsFont(LICE_FontHandle font, int flags) = 0;
  // Packed colours (LICE_RGBA). Returns the previous text colour.
  virtual uint32_t SetTextColor(uint32_t color) = 0;
  virtual void SetBkColor(uint32_t color) = 0;
  virtual void SetEffectColor(uint32_t color) = 0;
  virtual void SetBkMode(int mode) = 0;
  // Blit mode and weight the glyphs (or a natively drawn detour) are combined with.
  virtual void SetCombineMode(int mode, float weight) = 0;
  // Draws length bytes of UTF-8 text (-1: up to the terminating zero) into rect of dest with the
  // LICE_DT_* flags. With LICE_DT_CALCRECT nothing is drawn, dest may be null and rect's right
  // and bottom become the text's extent. Returns the text height in pixels, 0 when nothing was
  // drawn or measured.
  virtual int DrawString(LICE_IBitmap* dest, const char* text, int length, LICE_Rect* rect, int flags) = 0;
  virtual uint32_t TextColor() const noexcept = 0;
  virtual LICE_FontHandle OsFont() const noexcept = 0;
  virtual int LineHeight() const noexcept = 0;
  // The glyph-cache renderer behind DrawString (same contract), available on every platform.
  virtual int DrawCachedGlyphs(LICE_IBitmap* dest, const char* text, int length, LICE_Rect* rect, int flags) = 0;
};
