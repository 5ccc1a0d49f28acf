// The process-wide caches of decoded images and fonts shared by every editor of the module. Each
// has its own lock around every lookup and insertion; entries live until the module is unloaded
// (the caches are static objects).
#pragma once

#include "gui/GuiTypes.h"
#include "raster/LICE_CachedFont.h"
#include "raster/LICE_IBitmap.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class BitmapCache {
 public:
  static BitmapCache& Instance();

  // The raster cached under id; on a miss, load() is called (with the lock held, so two editors
  // never decode one image twice) and its result, null too, is cached. Any thread.
  LICE_IBitmap* FindOrLoad(int id, const std::function<LICE_IBitmap*()>& load);
  int Size();

 private:
  BitmapCache() = default;
  ~BitmapCache();

  struct Entry {
    int id;
    LICE_IBitmap* raster;  // owned
  };
  std::mutex mLock;
  std::vector<Entry> mEntries;
};

class FontCache {
 public:
  static FontCache& Instance();

  // The style's cached font; else the one cached for its size, orientation, style and face
  // (case-sensitive), else a new one made from an OS font and cached. The style remembers the
  // result. Null (nothing cached) when the OS font cannot be made. Any thread.
  LICE_CachedFont* FontFor(TextStyle& style);
  int Size();

 private:
  FontCache() = default;
  ~FontCache();

  struct Entry {
    int size;
    int orientation;
    int style;
    std::string face;
    LICE_CachedFont* font;  // owned
  };
  std::mutex mLock;
  std::vector<Entry> mEntries;
};
