#include "raster/LICE_SysBitmap.h"

#include "raster/LICE_Platform.h"

LICE_SysBitmap::LICE_SysBitmap(int width, int height) : mDC(LICE_Platform::CreateMemoryContext()) {
  Resize(width, height);
}

LICE_SysBitmap::~LICE_SysBitmap() {
  LICE_Platform::DeleteSection(mDC, mSection, mPreviousObject);
  LICE_Platform::DeleteMemoryContext(mDC);
}

bool LICE_SysBitmap::Resize(int width, int height) {
  if (!mDC) {
    mWidth = 0;
    mHeight = 0;
    mBits = nullptr;
    return false;
  }
  if (width == mWidth && height == mHeight) return false;
  mWidth = width;
  mHeight = height;
  if (width > 0 && height > 0 && width <= mAllocWidth && height <= mAllocHeight && mBits) return true;

  LICE_Platform::DeleteSection(mDC, mSection, mPreviousObject);
  mSection = nullptr;
  mPreviousObject = nullptr;
  mBits = nullptr;
  mAllocWidth = 0;
  mAllocHeight = 0;
  if (width < 1 || height < 1) return false;

  const int allocWidth = width > LICE_kMaxSide ? 0 : (width + 3) & ~3;
  if (allocWidth > 0 && height <= LICE_kMaxSide && int64_t{allocWidth} * height <= LICE_kMaxPixels)
    mSection = LICE_Platform::CreateSection(mDC, allocWidth, height, &mBits, &mPreviousObject);
  if (mSection) {
    mAllocWidth = allocWidth;
    mAllocHeight = height;
  } else {
    mBits = nullptr;
    mPreviousObject = nullptr;
    mWidth = 0;
    mHeight = 0;
  }
  return true;
}
