// Puts the SSE unit in the kernel's own mode while in scope and restores the caller's mode (and
// its exception flags) on exit: round to nearest, every exception masked, denormal results and
// operands flushed to zero. Decaying filter states would otherwise make silence far slower to
// render than sound, and a host's rounding or trapping mode would otherwise change the sound.
#pragma once

#include <xmmintrin.h>

class DenormalGuard {
 public:
  DenormalGuard() noexcept : mSaved(_mm_getcsr()) { _mm_setcsr(kKernelMode); }
  ~DenormalGuard() { _mm_setcsr(mSaved); }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

 private:
  static constexpr unsigned kAllExceptionsMasked = 0x1F80u;
  static constexpr unsigned kFlushToZero = 0x8000u;
  static constexpr unsigned kDenormalsAreZero = 0x0040u;
  static constexpr unsigned kKernelMode = kAllExceptionsMasked | kFlushToZero | kDenormalsAreZero;
  unsigned mSaved;
};
