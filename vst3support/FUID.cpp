#include "vst3support/FUID.h"

#include <cstdio>
#include <cstring>

namespace vst3support {

FUID::FUID() noexcept { std::memset(mData, 0, sizeof mData); }

FUID::FUID(const Steinberg::TUID tuid) noexcept : FUID() {
  if (tuid) std::memcpy(mData, tuid, sizeof mData);
}

FUID FUID::FromWindowsLongs(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) noexcept {
  const uint8_t bytes[16] = {
      uint8_t(l1), uint8_t(l1 >> 8), uint8_t(l1 >> 16), uint8_t(l1 >> 24),
      uint8_t(l2 >> 16), uint8_t(l2 >> 24), uint8_t(l2), uint8_t(l2 >> 8),
      uint8_t(l3 >> 24), uint8_t(l3 >> 16), uint8_t(l3 >> 8), uint8_t(l3),
      uint8_t(l4 >> 24), uint8_t(l4 >> 16), uint8_t(l4 >> 8), uint8_t(l4)};
  FUID uid;
  std::memcpy(uid.mData, bytes, sizeof bytes);
  return uid;
}

bool FUID::Equals(const Steinberg::TUID tuid) const noexcept {
  return tuid != nullptr && std::memcmp(mData, tuid, sizeof mData) == 0;
}

bool FUID::IsValid() const noexcept {
  for (char c : mData) {
    if (c != 0) return true;
  }
  return false;
}

void FUID::CopyTo(Steinberg::TUID out) const noexcept {
  if (out) std::memcpy(out, mData, sizeof mData);
}

void FUID::ToString(char out[33]) const noexcept {
  for (int i = 0; i < 16; ++i) std::snprintf(out + 2 * i, 3, "%02X", static_cast<unsigned char>(mData[i]));
  out[32] = '\0';
}

}  // namespace vst3support
