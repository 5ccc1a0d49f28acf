// UTF-16 text helpers for the fixed-width fields of the VST 3 records (String128 and friends).
// Every writer takes the capacity of its output in characters, cuts the text to capacity - 1 and
// always terminates it; a null input writes the empty text. Any thread; no allocation.
#pragma once

#include "pluginterfaces/base/ftypes.h"

#include <cstddef>

namespace vst3support {

class String {
 public:
  // UTF-8 in, UTF-16 out. Malformed bytes become U+FFFD; a surrogate pair that would not fit
  // whole is dropped rather than split.
  static void Widen(const char* text, Steinberg::char16* out, size_t capacity) noexcept;
  // UTF-16 in, 8-bit out keeping the low byte of each character (for names matched as ASCII).
  static void NarrowLowByte(const Steinberg::char16* text, char* out, size_t capacity) noexcept;
  // UTF-16 in, UTF-8 out; a character that would not fit whole ends the text.
  static void ToUtf8(const Steinberg::char16* text, char* out, size_t capacity) noexcept;
  // Narrow 8-bit copy into a fixed field (PClassInfo and PFactoryInfo texts).
  static void Copy(const char* text, char* out, size_t capacity) noexcept;
};

}  // namespace vst3support
