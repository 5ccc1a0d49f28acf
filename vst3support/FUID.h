// A 16-byte class or interface identifier, held in the byte order in which hosts store and compare
// it. FromWindowsLongs builds the bytes from the four 32-bit words of the published Windows
// convention (first word little-endian, second as its two 16-bit halves each little-endian, last
// two big-endian) on every platform, so that a class keeps the same bytes on Windows and Linux.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <cstdint>

namespace vst3support {

class FUID {
 public:
  FUID() noexcept;
  // Copies 16 bytes; a null TUID gives the all-zero identifier.
  explicit FUID(const Steinberg::TUID tuid) noexcept;
  static FUID FromWindowsLongs(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) noexcept;

  // False for a null TUID.
  bool Equals(const Steinberg::TUID tuid) const noexcept;
  bool operator==(const FUID& other) const noexcept { return Equals(other.mData); }
  bool IsValid() const noexcept;
  const Steinberg::TUID& Data() const noexcept { return mData; }
  void CopyTo(Steinberg::TUID out) const noexcept;
  // 32 upper-case hex digits and a NUL.
  void ToString(char out[33]) const noexcept;

 private:
  Steinberg::TUID mData;
};

}  // namespace vst3support
