#include "vst3support/String.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Steinberg::char16;
using vst3support::String;

namespace {

std::u16string Units(const char16* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

TEST(String, WidenCutsToCapacityWithoutSplittingACharacter) {
  struct Case {
    const char* in;
    size_t capacity;
    std::u16string expected;
  } cases[] = {
      {"Sylvane", 128, u"Sylvane"},
      {"Sylvane", 4, u"Syl"},                       // capacity counts the terminator
      {"caf\xC3\xA9", 8, u"caf\u00E9"},             // two-byte sequence
      {"a\xF0\x9F\x8C\xB2", 8, u"a\U0001F332"},     // four bytes become a surrogate pair
      {"a\xF0\x9F\x8C\xB2", 3, u"a"},               // a pair that would not fit is dropped whole
      {"x\xFFy", 8, u"x\uFFFDy"},                   // a stray byte
      {"\xC0\xAF", 8, u"\uFFFD"},                   // an overlong encoding
      {nullptr, 8, u""},
  };
  for (const Case& c : cases) {
    std::vector<char16> out(c.capacity + 2, char16(0x7777));
    String::Widen(c.in, out.data(), c.capacity);
    EXPECT_EQ(Units(out.data()), c.expected) << (c.in ? c.in : "(null)");
    EXPECT_EQ(out[c.capacity], char16(0x7777)) << "wrote past the capacity";
  }
}

TEST(String, NarrowingKeepsLowBytesAndUtf8RoundTrips) {
  char16 wide[128];
  String::Widen("Host \xC3\xA9\xF0\x9F\x8C\xB2", wide, 128);
  char narrow[8];
  String::NarrowLowByte(wide, narrow, sizeof narrow);
  EXPECT_STREQ(narrow, "Host \xE9<");  // 0xE9, then the high surrogate's low byte 0x3C
  char utf8[64];
  String::ToUtf8(wide, utf8, sizeof utf8);
  EXPECT_STREQ(utf8, "Host \xC3\xA9\xF0\x9F\x8C\xB2");
  String::ToUtf8(wide, utf8, 8);  // "Host " and the two bytes of é fit, the emoji does not
  EXPECT_STREQ(utf8, "Host \xC3\xA9");
  char fixed[4];
  String::Copy("Audio Module Class", fixed, sizeof fixed);
  EXPECT_STREQ(fixed, "Aud");
}

}  // namespace
