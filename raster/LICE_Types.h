// Pixel layout, rectangles, blend modes and text flags shared by every raster header.
//
// A pixel is one uint32_t: A<<24 | R<<16 | G<<8 | B, stored little-endian (bytes B, G, R, A in
// memory). Colour channels are straight, not premultiplied by alpha. Bitmaps keep their rows
// top-down from the top-left corner; a row span is counted in pixels and may exceed the width.
#pragma once

#include <cstdint>

constexpr uint32_t LICE_RGBA(int r, int g, int b, int a) noexcept {
  return (static_cast<uint32_t>(a & 0xFF) << 24) | (static_cast<uint32_t>(r & 0xFF) << 16) |
         (static_cast<uint32_t>(g & 0xFF) << 8) | static_cast<uint32_t>(b & 0xFF);
}
constexpr int LICE_GETA(uint32_t p) noexcept { return static_cast<int>(p >> 24); }
constexpr int LICE_GETR(uint32_t p) noexcept { return static_cast<int>((p >> 16) & 0xFF); }
constexpr int LICE_GETG(uint32_t p) noexcept { return static_cast<int>((p >> 8) & 0xFF); }
constexpr int LICE_GETB(uint32_t p) noexcept { return static_cast<int>(p & 0xFF); }

// Left, top, right, bottom in pixels; right and bottom exclusive. Same layout as a Windows RECT.
struct LICE_Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Blit and fill modes: the low byte is the combine mode, LICE_BLIT_USE_ALPHA weights it by the
// source pixel's alpha (fills: by the colour's alpha).
constexpr int LICE_BLIT_MODE_COPY = 0;
constexpr int LICE_BLIT_MODE_ADD = 1;
constexpr int LICE_BLIT_MODE_DODGE = 2;
constexpr int LICE_BLIT_MODE_MASK = 0xFF;
constexpr int LICE_BLIT_USE_ALPHA = 0x10000;

// Text flags. The low ones share their values with the Windows text-format flags, so the
// native path hands them on unchanged.
constexpr int LICE_DT_CENTER = 0x1;
constexpr int LICE_DT_RIGHT = 0x2;
constexpr int LICE_DT_VCENTER = 0x4;
constexpr int LICE_DT_BOTTOM = 0x8;
constexpr int LICE_DT_SINGLELINE = 0x20;
constexpr int LICE_DT_NOCLIP = 0x100;
constexpr int LICE_DT_CALCRECT = 0x400;
constexpr int LICE_DT_USEFGALPHA = 0x40000000;

// Largest bitmap the layer allocates or decodes: a side of at most kMaxSide pixels and at most
// kMaxPixels pixels in all (1 GiB of pixels). Anything larger is refused, never allocated.
constexpr int LICE_kMaxSide = 1 << 15;
constexpr int64_t LICE_kMaxPixels = int64_t{1} << 28;

// An operating-system font: an HFONT on Windows, a FreeType face record on Linux.
using LICE_FontHandle = void*;
