#include "raster/LICE_MemBitmap.h"

#include "raster/LICE_Platform.h"

#include <cstdlib>

namespace {

constexpr size_t kAlignSlack = 63;

// Bytes for height rows of span pixels, or 0 when the size is refused.
size_t NeededBytes(int span, int height) noexcept {
  if (span > LICE_kMaxSide + 3 || height > LICE_kMaxSide) return 0;
  const int64_t pixels = int64_t{span} * height;
  if (pixels > LICE_kMaxPixels) return 0;
  return static_cast<size_t>(pixels) * 4;
}

}  // namespace

LICE_MemBitmap::LICE_MemBitmap(int width, int height) { Resize(width, height); }

LICE_MemBitmap::~LICE_MemBitmap() { std::free(mAlloc); }

uint32_t* LICE_MemBitmap::Bits() const noexcept {
  if (!mAlloc) return nullptr;
  const uintptr_t p = (reinterpret_cast<uintptr_t>(mAlloc) + kAlignSlack) & ~uintptr_t{kAlignSlack};
  return reinterpret_cast<uint32_t*>(p);
}

bool LICE_MemBitmap::Resize(int width, int height) {
  if (width == mWidth && height == mHeight) return false;
  mWidth = width;
  mHeight = height;
  size_t needed = 0;
  if (width > 0 && height > 0 && width <= LICE_kMaxSide)
    needed = NeededBytes((width + mRowAlignMask) & ~mRowAlignMask, height);
  if (needed == 0) {
    std::free(mAlloc);
    mAlloc = nullptr;
    mAllocBytes = 0;
  } else if (!mAlloc) {
    mAlloc = std::malloc(needed + kAlignSlack);
    mAllocBytes = mAlloc ? needed : 0;
  } else if (mAllocBytes < needed) {
    const size_t grown = needed + needed / 4;
    if (void* p = std::realloc(mAlloc, grown + kAlignSlack)) {
      mAlloc = p;
      mAllocBytes = grown;
    } else {
      std::free(mAlloc);
      mAlloc = std::malloc(needed + kAlignSlack);
      mAllocBytes = mAlloc ? needed : 0;
    }
  }
  if (mAlloc) LICE_Platform::AdviseLargeBlock(mAlloc, mAllocBytes + kAlignSlack);
  if (!mAlloc) {
    mWidth = 0;
    mHeight = 0;
  }
  return true;
}
