// A bitmap the operating system can draw into and present: on Windows a 32-bit top-down DIB
// section selected into its own memory device context; on Linux plain memory behind the same
// interface. Shrinking keeps the section (the row span stays the allocated width); only growth
// beyond the allocation makes a new one. Not thread-safe; owned by one UI thread.
#pragma once

#include "raster/LICE_IBitmap.h"

class LICE_SysBitmap final : public LICE_IBitmap {
 public:
  explicit LICE_SysBitmap(int width = 0, int height = 0);
  ~LICE_SysBitmap() override;

  uint32_t* Bits() const noexcept override { return mBits; }
  int Width() const noexcept override { return mWidth; }
  int Height() const noexcept override { return mHeight; }
  int RowSpan() const noexcept override { return mAllocWidth; }
  // Same size: false. A positive size that fits the current section keeps it (true). Otherwise
  // the section is replaced by one of width rounded up to 4 x height (false for a size below 1,
  // which leaves no pixels); a refused or failed section leaves width and height 0.
  bool Resize(int width, int height) override;
  // The memory device context (HDC on Windows); on Linux an opaque token of the platform layer.
  void* DeviceContext() const noexcept override { return mDC; }

  int AllocatedWidth() const noexcept { return mAllocWidth; }
  int AllocatedHeight() const noexcept { return mAllocHeight; }

 private:
  int mWidth = 0;
  int mHeight = 0;
  void* mDC = nullptr;
  uint32_t* mBits = nullptr;
  int mAllocWidth = 0;
  int mAllocHeight = 0;
  void* mSection = nullptr;
  void* mPreviousObject = nullptr;
};
