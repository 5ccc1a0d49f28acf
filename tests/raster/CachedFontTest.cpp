// Cached fonts: text lands inside its rectangle in the text colour, with a face that exists
// and with one that does not (the default face stands in), aligned as asked.
#include "raster/LICE_CachedFont.h"
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr uint32_t kGround = LICE_RGBA(0, 0, 40, 255);  // opaque dark blue

struct Ink {
  int count = 0;
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
  bool outside = false;     // a changed pixel outside the rectangle
  bool offColour = false;   // a changed pixel that is not a mix of ground and text colour
};

// Changed pixels of bm against the ground, text drawn in pure red.
Ink FindInk(const LICE_IBitmap& bm, const LICE_Rect& r) {
  Ink ink;
  for (int y = 0; y < bm.Height(); ++y)
    for (int x = 0; x < bm.Width(); ++x) {
      const uint32_t p = bm.Bits()[y * bm.RowSpan() + x];
      if (p == kGround) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x + 1);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y + 1);
      if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) ink.outside = true;
      if (LICE_GETR(p) == 0 || LICE_GETG(p) != 0 || LICE_GETB(p) > 40) ink.offColour = true;
    }
  return ink;
}

void Ground(LICE_IBitmap* bm) { LICE::FillRect(bm, 0, 0, bm->Width(), bm->Height(), kGround, 1.0f, 0); }

std::unique_ptr<LICE_CachedFont> MakeFont(const char* face, int height) {
  LICE_FontSpec fontSpec;
  fontSpec.face = face;
  fontSpec.height = height;
  fontSpec.weight = 700;
  auto font = std::make_unique<LICE_CachedFont>();
  font->SetFromOsFont(LICE::CreateOsFont(fontSpec), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
  font->SetTextColor(LICE_RGBA(255, 0, 0, 255));
  return font;
}

TEST(CachedFont, DrawsInsideItsRectangleWithAFoundAndAMissingFace) {
  const char* faces[] = {"Arial", "Verdana", "No Such Face Sylvane"};
  for (const char* face : faces) {
    SCOPED_TRACE(face);
    std::unique_ptr<LICE_CachedFont> font = MakeFont(face, 20);
    ASSERT_NE(font->OsFont(), nullptr);
    EXPECT_GE(font->LineHeight(), 18);
    EXPECT_LE(font->LineHeight(), 26);

    // Measuring needs no bitmap.
    LICE_Rect measured{0, 0, 0, 0};
    const int h = font->DrawString(nullptr, "Sylvane", -1, &measured, LICE_DT_CALCRECT);
    EXPECT_EQ(h, font->LineHeight());
    EXPECT_EQ(measured.bottom, h);
    EXPECT_GT(measured.right, 40);
    EXPECT_LT(measured.right, 110);

    const LICE_Rect rect{30, 10, 170, 40};
    LICE_SysBitmap sys(200, 60);
    LICE_MemBitmap mem(200, 60);
    for (LICE_IBitmap* bm : {static_cast<LICE_IBitmap*>(&sys), static_cast<LICE_IBitmap*>(&mem)}) {
      Ground(bm);
      LICE_Rect r = rect;
      EXPECT_EQ(font->DrawString(bm, "Sylvane", -1, &r, LICE_DT_CENTER), h);
      const Ink ink = FindInk(*bm, rect);
      EXPECT_GT(ink.count, 60);
      EXPECT_FALSE(ink.outside);
      // Centred: the ink's middle lies near the rectangle's.
      EXPECT_NEAR((ink.left + ink.right) / 2.0, (rect.left + rect.right) / 2.0, 3.0);
      EXPECT_LT(ink.top, rect.top + 8);
    }
  }
}

TEST(CachedFont, ClipsToTheRectangleAndHonoursAlignmentAndAlpha) {
  std::unique_ptr<LICE_CachedFont> font = MakeFont("Arial", 20);
  LICE_MemBitmap bm(200, 60);

  struct Case {
    const char* name;
    LICE_Rect rect;
    int flags;
    uint32_t colour;
    bool expectInk;
  };
  const Case cases[] = {
      {"narrower than the text: clipped", {90, 12, 110, 22}, LICE_DT_CENTER, LICE_RGBA(255, 0, 0, 255), true},
      {"right aligned", {10, 10, 190, 40}, LICE_DT_RIGHT, LICE_RGBA(255, 0, 0, 255), true},
      {"left aligned", {10, 10, 190, 40}, 0, LICE_RGBA(255, 0, 0, 255), true},
      {"transparent text colour with its alpha", {10, 10, 190, 40}, LICE_DT_USEFGALPHA, LICE_RGBA(255, 0, 0, 0),
       false},
      {"rectangle off the bitmap", {300, 10, 400, 40}, 0, LICE_RGBA(255, 0, 0, 255), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ground(&bm);
    font->SetTextColor(c.colour);
    LICE_Rect r = c.rect;
    font->DrawString(&bm, "Sylvane", -1, &r, c.flags);
    const Ink ink = FindInk(bm, c.rect);
    EXPECT_FALSE(ink.outside);
    EXPECT_FALSE(ink.offColour);
    EXPECT_EQ(ink.count > 0, c.expectInk);
    if (c.flags & LICE_DT_RIGHT) {
      EXPECT_GE(ink.right, c.rect.right - 4);
    }
    if (c.expectInk && !(c.flags & (LICE_DT_RIGHT | LICE_DT_CENTER))) {
      EXPECT_LE(ink.left, c.rect.left + 4);
    }
  }

  // Without a destination nothing is drawn unless only measuring.
  LICE_Rect r{0, 0, 100, 100};
  EXPECT_EQ(font->DrawString(nullptr, "x", -1, &r, 0), 0);
}

TEST(CachedFont, RendersEachGlyphOnceAndFreesAReplacedFontItOwns) {
  LICE_FontSpec fontSpec;
  fontSpec.face = "Arial";
  fontSpec.height = 16;
  LICE_CachedFont font;
  font.SetFromOsFont(LICE::CreateOsFont(fontSpec), LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_PRECALCALL);
  EXPECT_EQ(font.CachedGlyphCount(), 128u);
  LICE_MemBitmap bm(100, 30);
  LICE_Rect r{0, 0, 100, 30};
  font.DrawString(&bm, "h\xC3\xA9", -1, &r, 0);  // "hé": one glyph beyond the first 128
  EXPECT_EQ(font.CachedGlyphCount(), 129u);
  // Replacing an owned font frees the old one (LeakSanitizer and ASan watch this test).
  font.SetFromOsFont(LICE::CreateOsFont(fontSpec), LICE_FONT_FLAG_OWNS_HFONT);
  EXPECT_EQ(font.CachedGlyphCount(), 0u);
}

}  // namespace
