// Windows side of the raster layer: DIB sections in memory device contexts, GDI fonts, GDI text
// (the native path) and glyphs rendered through GDI for the glyph cache (under Wine, whose GDI
// text into sections is not to be relied on, and whenever the text colour's alpha is wanted).
#include "raster/LICE_Platform.h"

#include "raster/LICE_SysBitmap.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

// The text flags go to DrawText unchanged.
static_assert(LICE_DT_CENTER == DT_CENTER && LICE_DT_RIGHT == DT_RIGHT && LICE_DT_VCENTER == DT_VCENTER &&
                  LICE_DT_BOTTOM == DT_BOTTOM && LICE_DT_SINGLELINE == DT_SINGLELINE &&
                  LICE_DT_NOCLIP == DT_NOCLIP && LICE_DT_CALCRECT == DT_CALCRECT,
              "LICE_DT_* flags must equal the Windows text-format flags");
static_assert(sizeof(LICE_Rect) == sizeof(RECT), "LICE_Rect mirrors RECT");

namespace {

// White text on an opaque black ground, rendered one glyph at a time; grown as glyphs need.
// Created on first use; text runs on the UI thread only.
LICE_SysBitmap* ScratchBitmap(int width, int height) {
  static LICE_SysBitmap* scratch = nullptr;
  if (!scratch) scratch = new LICE_SysBitmap(256, 256);
  const int w = std::max({256, width, scratch->Width()});
  const int h = std::max({256, height, scratch->Height()});
  if (w != scratch->Width() || h != scratch->Height()) scratch->Resize(w, h);
  return scratch->DeviceContext() && scratch->Bits() ? scratch : nullptr;
}

BYTE QualityFor(int quality) {
  switch (quality) {
    case 1: return NONANTIALIASED_QUALITY;
    case 2: return ANTIALIASED_QUALITY;
    case 3: return CLEARTYPE_QUALITY;
    default: return DEFAULT_QUALITY;
  }
}

bool HasMultiByte(const char* text, int length) {
  for (int i = 0; i < length; ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
  return false;
}

// UTF-16 of one code point; returns the number of units.
int Utf16(uint32_t cp, wchar_t out[2]) {
  if (cp < 0x10000) {
    out[0] = static_cast<wchar_t>(cp);
    return 1;
  }
  cp -= 0x10000;
  out[0] = static_cast<wchar_t>(0xD800 + (cp >> 10));
  out[1] = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
  return 2;
}

}  // namespace

namespace LICE_Platform {

void* CreateMemoryContext() noexcept {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  if (screen) ReleaseDC(nullptr, screen);
  return dc;
}

void DeleteMemoryContext(void* context) noexcept {
  if (context) DeleteDC(static_cast<HDC>(context));
}

void AdviseLargeBlock(void*, size_t) noexcept {}

void* CreateSection(void* context, int width, int height, uint32_t** bits, void** previous) noexcept {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP section = CreateDIBSection(static_cast<HDC>(context), &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!section || !pixels) {
    if (section) DeleteObject(section);
    return nullptr;
  }
  *bits = static_cast<uint32_t*>(pixels);
  *previous = SelectObject(static_cast<HDC>(context), section);
  return section;
}

void DeleteSection(void* context, void* section, void* previous) noexcept {
  if (context && previous) SelectObject(static_cast<HDC>(context), static_cast<HGDIOBJ>(previous));
  if (section) DeleteObject(static_cast<HGDIOBJ>(section));
}

LICE_FontHandle CreateOsFont(const LICE_FontSpec& fontSpec) noexcept {
  // GDI answers an unknown face with its default face, so text never disappears.
  return CreateFontA(fontSpec.height, 0, fontSpec.orientation, fontSpec.orientation, fontSpec.weight, fontSpec.italic ? TRUE : FALSE,
                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, QualityFor(fontSpec.quality),
                     DEFAULT_PITCH | FF_DONTCARE, fontSpec.face ? fontSpec.face : "");
}

void DeleteOsFont(LICE_FontHandle font) noexcept {
  if (font) DeleteObject(static_cast<HGDIOBJ>(font));
}

int FontLineHeight(LICE_FontHandle font) noexcept {
  if (!font) return 0;
  LICE_SysBitmap* scratch = ScratchBitmap(0, 0);
  if (!scratch) return 0;
  HDC dc = static_cast<HDC>(scratch->DeviceContext());
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(font));
  TEXTMETRICA tm{};
  const BOOL ok = GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  return ok ? static_cast<int>(tm.tmHeight) : 0;
}

bool RenderGlyph(LICE_FontHandle font, uint32_t codepoint, GlyphImage* glyph, std::vector<uint8_t>* coverage) {
  if (!font || !glyph || !coverage) return false;
  wchar_t units[2];
  const int n = Utf16(codepoint, units);
  LICE_SysBitmap* scratch = ScratchBitmap(0, 0);
  if (!scratch) return false;
  HDC dc = static_cast<HDC>(scratch->DeviceContext());
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(font));
  TEXTMETRICA tm{};
  SIZE extent{};
  const bool measured = GetTextMetricsA(dc, &tm) && GetTextExtentPoint32W(dc, units, n, &extent);
  SelectObject(dc, old);
  if (!measured) return false;

  // The cell is the advance plus room for overhangs on both sides.
  const int pad = static_cast<int>(tm.tmHeight / 4) + static_cast<int>(tm.tmOverhang);
  const int cellW = static_cast<int>(extent.cx) + 2 * pad;
  const int cellH = static_cast<int>(tm.tmHeight);
  scratch = ScratchBitmap(cellW, cellH);
  if (!scratch) return false;
  dc = static_cast<HDC>(scratch->DeviceContext());
  const int span = scratch->RowSpan();
  uint32_t* bits = scratch->Bits();
  GdiFlush();
  for (int y = 0; y < cellH; ++y) std::fill_n(bits + static_cast<size_t>(y) * span, cellW, 0xFF000000u);
  old = SelectObject(dc, static_cast<HGDIOBJ>(font));
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  TextOutW(dc, pad, 0, units, n);
  SelectObject(dc, old);
  GdiFlush();

  // Trim the cell to the columns that carry ink.
  int first = cellW, last = -1;
  for (int y = 0; y < cellH; ++y)
    for (int x = 0; x < cellW; ++x)
      if (bits[static_cast<size_t>(y) * span + x] & 0x00FFFFFFu) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  glyph->advance = static_cast<int>(extent.cx);
  glyph->top = 0;
  if (last < first) {
    glyph->left = 0;
    glyph->width = 0;
    glyph->height = 0;
    return true;
  }
  glyph->left = first - pad;
  glyph->width = last - first + 1;
  glyph->height = cellH;
  const size_t start = coverage->size();
  coverage->resize(start + static_cast<size_t>(glyph->width) * cellH);
  uint8_t* out = coverage->data() + start;
  for (int y = 0; y < cellH; ++y)
    for (int x = first; x <= last; ++x) {
      const uint32_t p = bits[static_cast<size_t>(y) * span + x];
      *out++ = static_cast<uint8_t>(std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}));
    }
  return true;
}

bool RunningUnderWine() noexcept {
  static int underWine = -1;
  if (underWine < 0) {
    HKEY key = nullptr;
    underWine = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) == ERROR_SUCCESS ? 1 : 0;
    if (key) RegCloseKey(key);
  }
  return underWine == 1;
}

bool HasNativeText() noexcept { return true; }

int DrawNativeText(const NativeTextRequest& request, LICE_Rect* rect) noexcept {
  if (!request.text || !rect || request.length < 0) return 0;
  HDC dc = static_cast<HDC>(request.context);
  LICE_SysBitmap* scratch = nullptr;
  if (!dc) {  // measuring only
    scratch = ScratchBitmap(0, 0);
    if (!scratch) return 0;
    dc = static_cast<HDC>(scratch->DeviceContext());
  }
  HGDIOBJ old = SelectObject(dc, static_cast<HGDIOBJ>(request.font));
  const uint32_t c = request.textColor;
  SetTextColor(dc, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
  if (request.bkMode == 2) {
    const uint32_t b = request.bkColor;
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF));
  } else {
    SetBkMode(dc, TRANSPARENT);
  }
  RECT r{rect->left, rect->top, rect->right, rect->bottom};
  const UINT format = static_cast<UINT>(request.flags) | DT_NOPREFIX;
  int height = 0;
  if (HasMultiByte(request.text, request.length)) {
    wchar_t local[1024];
    std::vector<wchar_t> heap;
    wchar_t* wide = local;
    const int units = MultiByteToWideChar(CP_UTF8, 0, request.text, request.length, nullptr, 0);
    if (units > 1024) {
      heap.resize(static_cast<size_t>(units));
      wide = heap.data();
    }
    if (units > 0 && MultiByteToWideChar(CP_UTF8, 0, request.text, request.length, wide, units) == units)
      height = DrawTextW(dc, wide, units, &r, format);
  } else {
    height = DrawTextA(dc, request.text, request.length, &r, format);
  }
  SelectObject(dc, old);
  if (request.flags & DT_CALCRECT) *rect = {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top),
                                          static_cast<int32_t>(r.right), static_cast<int32_t>(r.bottom)};
  return height;
}

}  // namespace LICE_Platform
