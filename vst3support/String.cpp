#include "vst3support/String.h"

#include <cstdint>

namespace vst3support {

namespace {
// Decodes one UTF-8 sequence at s; returns its length (at least 1) and the code point.
size_t DecodeUtf8(const unsigned char* s, uint32_t* cp) noexcept {
  const unsigned char c = s[0];
  int extra = 0;
  uint32_t value = 0;
  if (c < 0x80) {
    *cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    extra = 1, value = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2, value = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3, value = c & 0x07;
  } else {
    *cp = 0xFFFD;
    return 1;
  }
  for (int i = 1; i <= extra; ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      *cp = 0xFFFD;
      return static_cast<size_t>(i);
    }
    value = (value << 6) | (s[i] & 0x3F);
  }
  static const uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  const bool bad = value < kMin[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
  *cp = bad ? 0xFFFD : value;
  return static_cast<size_t>(extra + 1);
}
}  // namespace

void String::Widen(const char* text, Steinberg::char16* out, size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return;
  size_t n = 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (s != nullptr && *s != 0) {
    uint32_t cp = 0;
    s += DecodeUtf8(s, &cp);
    if (cp < 0x10000) {
      if (n + 1 >= capacity) break;
      out[n++] = static_cast<Steinberg::char16>(cp);
    } else {
      if (n + 2 >= capacity) break;
      cp -= 0x10000;
      out[n++] = static_cast<Steinberg::char16>(0xD800 + (cp >> 10));
      out[n++] = static_cast<Steinberg::char16>(0xDC00 + (cp & 0x3FF));
    }
  }
  out[n] = 0;
}

void String::NarrowLowByte(const Steinberg::char16* text, char* out, size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return;
  size_t n = 0;
  for (; text != nullptr && text[n] != 0 && n + 1 < capacity; ++n) {
    out[n] = static_cast<char>(static_cast<uint16_t>(text[n]) & 0xFF);
  }
  out[n] = '\0';
}

void String::ToUtf8(const Steinberg::char16* text, char* out, size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return;
  size_t n = 0;
  for (size_t i = 0; text != nullptr && text[i] != 0; ++i) {
    uint32_t cp = static_cast<uint16_t>(text[i]);
    if (cp >= 0xD800 && cp < 0xDC00 && static_cast<uint16_t>(text[i + 1]) >= 0xDC00 &&
        static_cast<uint16_t>(text[i + 1]) < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint16_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    const size_t len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (n + len >= capacity) break;
    if (len == 1) {
      out[n++] = static_cast<char>(cp);
    } else {
      static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
      out[n++] = static_cast<char>(kLead[len] | (cp >> (6 * (len - 1))));
      for (size_t k = len - 1; k-- > 0;) out[n++] = static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
    }
  }
  out[n] = '\0';
}

void String::Copy(const char* text, char* out, size_t capacity) noexcept {
  if (out == nullptr || capacity == 0) return;
  size_t n = 0;
  for (; text != nullptr && text[n] != 0 && n + 1 < capacity; ++n) out[n] = text[n];
  out[n] = '\0';
}

}  // namespace vst3support
