// The abstract 32-bit bitmap every raster operation draws into (pixel layout in LICE_Types.h).
#pragma once

#include "raster/LICE_Types.h"

#include <cstdint>

class LICE_IBitmap {
 public:
  LICE_IBitmap() = default;
  LICE_IBitmap(const LICE_IBitmap&) = delete;
  LICE_IBitmap& operator=(const LICE_IBitmap&) = delete;

  virtual ~LICE_IBitmap() = default;
  // First pixel of the first (top) row; null while the bitmap has no pixels.
  virtual uint32_t* Bits() const noexcept = 0;
  virtual int Width() const noexcept = 0;
  virtual int Height() const noexcept = 0;
  // Pixels from one row to the next (>= Width()).
  virtual int RowSpan() const noexcept = 0;
  // Rows stored bottom-up; false for every bitmap of this layer.
  virtual bool IsFlipped() const noexcept { return false; }
  // Returns whether anything changed. Pixel contents afterwards are undefined.
  virtual bool Resize(int width, int height) = 0;
  // Native drawing context (an HDC on Windows), null if the bitmap has none.
  virtual void* DeviceContext() const noexcept { return nullptr; }
  // Reserved for queries of later bitmap kinds; 0 for every bitmap of this layer.
  virtual intptr_t Extended(int code, intptr_t arg) noexcept;
};
