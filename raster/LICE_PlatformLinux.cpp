// Linux side of the raster layer: sections are plain aligned memory (there is no display to be
// compatible with), fonts are FreeType faces found by fontconfig, and there is no native text
// path, so every text goes through the glyph cache.
#include "raster/LICE_Platform.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

namespace {

// The memory context only has to be non-null; everything it would hold lives in the section.
int gMemoryContextToken;

struct LinuxFont {
  FT_Face face = nullptr;
  int lineHeight = 0;  // pixels, ascender + descender
  int ascender = 0;    // pixels from the line's top to the baseline
  bool mono = false;
  bool embolden = false;
};

// FreeType's library object is not thread-safe for creating and freeing faces.
std::mutex gFreetypeMutex;
FT_Library gFreetype = nullptr;

FT_Library Freetype() {
  if (!gFreetype && FT_Init_FreeType(&gFreetype) != 0) gFreetype = nullptr;
  return gFreetype;
}

// The file fontconfig picks for family with the requested weight and slant; empty if none.
std::string MatchFontFile(const char* family, bool bold, bool italic, int* index) {
  std::string path;
  if (!FcInit()) return path;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return path;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
      path = reinterpret_cast<const char*>(file);
      if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

FT_Face OpenFace(FT_Library lib, const char* family, bool bold, bool italic) {
  int index = 0;
  const std::string path = MatchFontFile(family, bold, italic, &index);
  FT_Face face = nullptr;
  if (path.empty() || FT_New_Face(lib, path.c_str(), index, &face) != 0) return nullptr;
  return face;
}

}  // namespace

namespace LICE_Platform {

void* CreateMemoryContext() noexcept { return &gMemoryContextToken; }

void DeleteMemoryContext(void*) noexcept {}

void AdviseLargeBlock(void* block, size_t bytes) noexcept {
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  if (!block || bytes < kLargePage) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(kLargePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void* CreateSection(void*, int width, int height, uint32_t** bits, void** previous) noexcept {
  const size_t bytes = (static_cast<size_t>(width) * static_cast<size_t>(height) * 4 + 63) & ~size_t{63};
  void* p = std::aligned_alloc(64, bytes);
  AdviseLargeBlock(p, bytes);
  // Cleared, as a Windows section starts: a surface shows the same first picture on both systems.
  if (p) std::memset(p, 0, bytes);
  *bits = static_cast<uint32_t*>(p);
  *previous = nullptr;
  return p;
}

void DeleteSection(void*, void* section, void*) noexcept { std::free(section); }

LICE_FontHandle CreateOsFont(const LICE_FontSpec& fontSpec) noexcept {
  if (fontSpec.height < 1) return nullptr;
  const bool bold = fontSpec.weight >= 600;
  std::lock_guard<std::mutex> lock(gFreetypeMutex);
  FT_Library lib = Freetype();
  if (!lib) return nullptr;
  // fontconfig answers every family with its best match; if that file cannot be opened, the
  // default face stands in so that text still shows.
  FT_Face face = OpenFace(lib, fontSpec.face && fontSpec.face[0] ? fontSpec.face : "sans-serif", bold, fontSpec.italic);
  if (!face) face = OpenFace(lib, "sans-serif", bold, fontSpec.italic);
  if (!face) return nullptr;

  // The requested height is the cell height (ascender + descender), as a Windows font's is.
  FT_Size_RequestRec request{};
  request.type = FT_SIZE_REQUEST_TYPE_CELL;
  request.height = static_cast<FT_Long>(fontSpec.height) << 6;
  if (!FT_IS_SCALABLE(face) || FT_Request_Size(face, &request) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  LinuxFont* font = new (std::nothrow) LinuxFont;
  if (!font) {
    FT_Done_Face(face);
    return nullptr;
  }
  font->face = face;
  font->ascender = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
  font->lineHeight = font->ascender + static_cast<int>((-face->size->metrics.descender + 32) >> 6);
  font->mono = fontSpec.quality == 1;
  font->embolden = bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
  if (fontSpec.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC)) {
    FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
    FT_Set_Transform(face, &shear, nullptr);
  }
  return font;
}

void DeleteOsFont(LICE_FontHandle handle) noexcept {
  LinuxFont* font = static_cast<LinuxFont*>(handle);
  if (!font) return;
  {
    std::lock_guard<std::mutex> lock(gFreetypeMutex);
    FT_Done_Face(font->face);
  }
  delete font;
}

int FontLineHeight(LICE_FontHandle handle) noexcept {
  const LinuxFont* font = static_cast<const LinuxFont*>(handle);
  return font ? font->lineHeight : 0;
}

bool RenderGlyph(LICE_FontHandle handle, uint32_t codepoint, GlyphImage* glyph, std::vector<uint8_t>* coverage) {
  LinuxFont* font = static_cast<LinuxFont*>(handle);
  if (!font || !glyph || !coverage) return false;
  FT_Face face = font->face;
  const FT_Int32 load = FT_LOAD_DEFAULT | (font->mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  if (FT_Load_Char(face, codepoint, load) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (font->embolden) FT_GlyphSlot_Embolden(slot);
  if (FT_Render_Glyph(slot, font->mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;

  const FT_Bitmap& bm = slot->bitmap;
  glyph->advance = static_cast<int>((slot->advance.x + 32) >> 6);
  glyph->left = slot->bitmap_left;
  glyph->top = font->ascender - slot->bitmap_top;
  glyph->width = static_cast<int>(bm.width);
  glyph->height = static_cast<int>(bm.rows);
  const size_t start = coverage->size();
  coverage->resize(start + static_cast<size_t>(bm.width) * bm.rows);
  uint8_t* out = coverage->data() + start;
  for (unsigned y = 0; y < bm.rows; ++y) {
    const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    for (unsigned x = 0; x < bm.width; ++x) {
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        *out++ = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      else
        *out++ = row[x];
    }
  }
  return true;
}

bool RunningUnderWine() noexcept { return false; }

bool HasNativeText() noexcept { return false; }

int DrawNativeText(const NativeTextRequest&, LICE_Rect*) noexcept { return 0; }

}  // namespace LICE_Platform
