// Flushes denormal results and operands to zero while in scope, restoring the caller's mode.
// Decaying filter states would otherwise make silence far slower to render than sound.
#pragma once

#include <xmmintrin.h>

class DenormalGuard {
 public:
  DenormalGuard() noexcept : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | kFlushToZero | kDenormalsAreZero); }
  ~DenormalGuard() { _mm_setcsr(mSaved); }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

 private:
  static constexpr unsigned kFlushToZero = 0x8000u;
  static constexpr unsigned kDenormalsAreZero = 0x0040u;
  unsigned mSaved;
};
