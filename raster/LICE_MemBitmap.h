// A bitmap whose pixels live on the heap. The pixel pointer is 64-byte aligned and each row
// holds a multiple of 4 pixels. Resizing never shrinks the allocation; growing reserves a
// quarter more than needed so that a bitmap resized step by step is not copied each time.
#pragma once

#include "raster/LICE_IBitmap.h"

#include <cstddef>

class LICE_MemBitmap final : public LICE_IBitmap {
 public:
  // A bitmap of width x height (empty when either is below 1 or the size is refused).
  explicit LICE_MemBitmap(int width = 0, int height = 0);
  ~LICE_MemBitmap() override;

  uint32_t* Bits() const noexcept override;
  int Width() const noexcept override { return mWidth; }
  int Height() const noexcept override { return mHeight; }
  int RowSpan() const noexcept override { return (mWidth + mRowAlignMask) & ~mRowAlignMask; }
  // Same size: false. Zero or negative: frees the pixels. A size above LICE_kMaxSide /
  // LICE_kMaxPixels or a failed allocation leaves an empty bitmap. Otherwise true.
  bool Resize(int width, int height) override;

  // Bytes of the current allocation, 63 alignment bytes not counted; 0 when empty.
  size_t AllocatedBytes() const noexcept { return mAllocBytes; }

 private:
  void* mAlloc = nullptr;
  int mWidth = 0;
  int mHeight = 0;
  size_t mAllocBytes = 0;
  int mRowAlignMask = 3;
};
