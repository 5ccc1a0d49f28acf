// Fixed-width text fields: a copy is cut to the field, never overruns it, and always ends in NUL.
#pragma once

#include <cstddef>
#include <cstring>

// Copies src (null counts as empty) into dst of dstSize bytes, cutting it to dstSize - 1 chars.
inline void CopyFixedText(char* dst, size_t dstSize, const char* src) noexcept {
  if (!dst || dstSize == 0) return;
  size_t n = 0;
  if (src) {
    while (n + 1 < dstSize && src[n] != '\0') ++n;
    std::memmove(dst, src, n);
  }
  dst[n] = '\0';
}

template <size_t N>
inline void CopyFixedText(char (&dst)[N], const char* src) noexcept {
  CopyFixedText(dst, N, src);
}
