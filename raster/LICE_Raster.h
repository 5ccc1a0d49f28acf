// The raster layer's free functions: blits, fills, PNG decoding and encoding, OS fonts.
//
// Every blit and fill clips to both bitmaps (negative origins, sources larger than the
// destination, empty bitmaps) and touches only pixels inside each row's width. Weights run
// 0..1; the arithmetic is integer and exact, so results are reproducible to the byte.
#pragma once

#include "raster/LICE_Types.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class LICE_IBitmap;
class LICE_MemBitmap;

// How to make an operating-system font (see LICE::CreateOsFont).
struct LICE_FontSpec {
  const char* face = "Verdana";  // family name; an unknown face falls back to the default face
  int height = 12;               // pixels
  int orientation = 0;           // tenths of a degree, counter-clockwise
  int weight = 400;              // 400 normal, 700 bold
  bool italic = false;
  int quality = 0;               // 0 default, 1 non-antialiased, 2 antialiased, 3 ClearType
};

namespace LICE {

// Copies srcRect of src (null: all of src) to (dstX, dstY) of dest with weight 0..1 and a mode
// of LICE_BLIT_MODE_* optionally | LICE_BLIT_USE_ALPHA. Nothing for a null source or weight 0.
void Blit(LICE_IBitmap* dest, const LICE_IBitmap* src, int dstX, int dstY, const LICE_Rect* srcRect, float weight,
          int mode);

// Fills width x height at (x, y) of dest with the packed colour; with LICE_BLIT_USE_ALPHA the
// weight is scaled by the colour's alpha.
void FillRect(LICE_IBitmap* dest, int x, int y, int width, int height, uint32_t color, float weight, int mode);

// Decodes a PNG held in memory into a new bitmap; null for anything that is not a complete,
// valid PNG or whose size exceeds LICE_kMaxSide / LICE_kMaxPixels. Never throws.
std::unique_ptr<LICE_MemBitmap> LoadPNGFromMemory(const void* data, size_t length);
// Decodes PNG resource id of a module (see EditorImageResource.h); null if missing or broken.
std::unique_ptr<LICE_MemBitmap> LoadPNGFromResource(void* module, int id);
// Whether name ends in ".png", without regard to case.
bool IsPNGFileName(const char* name) noexcept;
// The loader's file-type entry.
constexpr const char* kPNGFileTypeDescription = "PNG files (*.PNG)";

// Encodes bitmap as an 8-bit RGBA PNG. opaque writes every alpha as 255, as a window shows the
// bitmap (a back buffer's alpha is a by-product of blending, not transparency). Returns false
// (out cleared) when the bitmap is empty or encoding fails.
bool EncodePNG(const LICE_IBitmap& bitmap, std::vector<uint8_t>* out, bool opaque = false);
bool WritePNG(const char* path, const LICE_IBitmap& bitmap, bool opaque = false);

// An operating-system font for a LICE_CachedFont; null only when not even the default face can
// be made. Free it with DeleteOsFont unless a font owns it (LICE_FONT_FLAG_OWNS_HFONT).
LICE_FontHandle CreateOsFont(const LICE_FontSpec& fontSpec);
void DeleteOsFont(LICE_FontHandle font) noexcept;

}  // namespace LICE
