#include "gui/ResourceCaches.h"

#include "raster/LICE_Raster.h"

namespace {
constexpr int kEditorFontFlags = LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE;
constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;
}  // namespace

BitmapCache& BitmapCache::Instance() {
  static BitmapCache cache;
  return cache;
}

BitmapCache::~BitmapCache() {
  for (Entry& e : mEntries) delete e.raster;
}

LICE_IBitmap* BitmapCache::FindOrLoad(int id, const std::function<LICE_IBitmap*()>& load) {
  std::lock_guard<std::mutex> lock(mLock);
  for (const Entry& e : mEntries) {
    if (e.id == id) return e.raster;
  }
  LICE_IBitmap* raster = load ? load() : nullptr;
  mEntries.push_back(Entry{id, raster});
  return raster;
}

int BitmapCache::Size() {
  std::lock_guard<std::mutex> lock(mLock);
  return static_cast<int>(mEntries.size());
}

FontCache& FontCache::Instance() {
  static FontCache cache;
  return cache;
}

FontCache::~FontCache() {
  for (Entry& e : mEntries) delete e.font;
}

LICE_CachedFont* FontCache::FontFor(TextStyle& style) {
  if (style.font) return style.font;
  std::lock_guard<std::mutex> lock(mLock);
  for (const Entry& e : mEntries) {
    if (e.size == style.size && e.orientation == style.orientation && e.style == style.style && e.face == style.face) {
      return style.font = e.font;
    }
  }
  LICE_FontSpec fontSpec;
  fontSpec.face = style.face;
  fontSpec.height = style.size;
  fontSpec.orientation = style.orientation * 10;
  fontSpec.weight = style.style == kTextStyleBold ? kBoldWeight : kNormalWeight;
  fontSpec.italic = style.style == kTextStyleItalic;
  fontSpec.quality = style.quality;
  LICE_FontHandle os = LICE::CreateOsFont(fontSpec);
  if (!os) return nullptr;
  auto* font = new LICE_CachedFont();
  font->SetFromOsFont(os, kEditorFontFlags);
  mEntries.push_back(Entry{style.size, style.orientation, style.style, style.face, font});
  return style.font = font;
}

int FontCache::Size() {
  std::lock_guard<std::mutex> lock(mLock);
  return static_cast<int>(mEntries.size());
}
