// Blit and FillRect: the exact per-byte arithmetic of every mode and weight, worked out by hand
// below each row, and clipping against both bitmaps.
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// (A, R, G, B), the order colours are written in throughout.
uint32_t Argb(int a, int r, int g, int b) { return LICE_RGBA(r, g, b, a); }

std::string Show(uint32_t p) {
  char text[40];
  std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", LICE_GETA(p), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p));
  return text;
}

constexpr int kAlpha = LICE_BLIT_USE_ALPHA;

struct BlendCase {
  const char* name;
  uint32_t src;
  uint32_t dst;
  float weight;
  int mode;
  uint32_t expected;
};

const BlendCase kBlitCases[] = {
    {"copy 1.0 replaces all four bytes", Argb(10, 20, 30, 40), Argb(200, 1, 2, 3), 1.0f, 0, Argb(10, 20, 30, 40)},
    // (s >> 1) + (d >> 1) per byte: A 127+0, R 3+0, G 50+127, B 100+25.
    {"copy 0.5 averages by halves", Argb(255, 7, 100, 201), Argb(1, 0, 255, 50), 0.5f, 0, Argb(127, 3, 177, 125)},
    // w = 64: d = s + (d - s) * 192 / 256, truncated toward zero: B 201 + (-19392/256 = -75) = 126,
    // G 0 + 191, R 255 - 191 = 64, A 128 - 48 = 80.
    {"copy 0.25 weighs every byte", Argb(128, 255, 0, 201), Argb(64, 0, 255, 100), 0.25f, 0, Argb(80, 64, 191, 126)},
    {"alpha copy of alpha 0 leaves the pixel", Argb(0, 9, 9, 9), Argb(33, 44, 55, 66), 1.0f, kAlpha,
     Argb(33, 44, 55, 66)},
    {"alpha copy of alpha 255 replaces and makes opaque", Argb(255, 9, 8, 7), Argb(17, 44, 55, 66), 1.0f, kAlpha,
     Argb(255, 9, 8, 7)},
    // sa = 100: A = 50 + 100; R 200 + (-200*155/256 = -121) = 79, G 10 + 145, B 0 + 19.
    {"alpha copy at full weight", Argb(100, 200, 10, 0), Argb(50, 0, 250, 33), 1.0f, kAlpha, Argb(150, 79, 155, 19)},
    // A saturates at 255; G 10 + (-10*155/256 = -6) = 4.
    {"alpha copy saturates alpha", Argb(100, 200, 10, 0), Argb(200, 0, 0, 0), 1.0f, kAlpha, Argb(255, 79, 4, 0)},
    // w = 128, k = 128*101/256 = 50: A 50 + 50; R 200 + (-200*206/256 = -160) = 40, G 10 + 193, B 26.
    {"alpha copy at half weight", Argb(100, 200, 10, 0), Argb(50, 0, 250, 33), 0.5f, kAlpha, Argb(100, 40, 203, 26)},
    {"alpha copy at half weight of alpha 0", Argb(0, 200, 10, 0), Argb(50, 0, 250, 33), 0.5f, kAlpha,
     Argb(50, 0, 250, 33)},
    // k = 101: R 100 + 78, G 3 + 3, B 200 + 100 -> 255, A 50 + 100*101/256 = 50 + 39.
    {"alpha add", Argb(100, 200, 10, 255), Argb(50, 100, 3, 200), 1.0f, LICE_BLIT_MODE_ADD | kAlpha,
     Argb(89, 178, 6, 255)},
    {"alpha add of alpha 0", Argb(0, 200, 10, 255), Argb(50, 100, 3, 200), 1.0f, LICE_BLIT_MODE_ADD | kAlpha,
     Argb(50, 100, 3, 200)},
    // k = 101: R t = 78 -> 100*256/178 = 143, G t = 3 -> 768/253 = 3, B t = 100 -> 328 -> 255,
    // A t = 100*101/256 = 39 -> 12800/217 = 58.
    {"alpha dodge", Argb(100, 200, 10, 255), Argb(50, 100, 3, 200), 1.0f, LICE_BLIT_MODE_DODGE | kAlpha,
     Argb(58, 143, 3, 255)},
    // k = 256: R t = 255 > 254 -> 1*256 -> 255, G t = 128 -> 200, B t = 0 -> 100, A t = 255 -> 0*256.
    {"alpha dodge at the top of the range", Argb(255, 255, 128, 0), Argb(0, 1, 100, 100), 1.0f,
     LICE_BLIT_MODE_DODGE | kAlpha, Argb(0, 255, 200, 100)},
    // w = 128 on all four bytes: A 10 + 127, R 200 + 50, G 0 + 1, B 100 + 100.
    {"plain add", Argb(255, 100, 3, 200), Argb(10, 200, 0, 100), 0.5f, LICE_BLIT_MODE_ADD, Argb(137, 250, 1, 200)},
};

TEST(RasterBlit, EveryModeAndWeightGivesTheHandWorkedPixel) {
  for (const BlendCase& c : kBlitCases) {
    LICE_MemBitmap src(1, 1), dst(1, 1);
    src.Bits()[0] = c.src;
    dst.Bits()[0] = c.dst;
    LICE::Blit(&dst, &src, 0, 0, nullptr, c.weight, c.mode);
    EXPECT_EQ(Show(dst.Bits()[0]), Show(c.expected)) << c.name;
  }
}

const BlendCase kFillCases[] = {
    {"weight 1 writes the colour, alpha included", Argb(7, 1, 2, 3), Argb(255, 50, 60, 70), 1.0f, 0, Argb(7, 1, 2, 3)},
    // (c >> 1) + (p >> 1): A 127+0, R 50+25, G 1+127, B 100+50.
    {"weight 0.5 averages with the colour", Argb(255, 100, 3, 201), Argb(0, 50, 255, 100), 0.5f, 0,
     Argb(127, 75, 128, 150)},
    // (p >> 1) + (p >> 2) + (c >> 2): A 0+0+63, R 25+12+25, G 127+63+0, B 50+25+50.
    {"weight 0.25", Argb(255, 100, 3, 201), Argb(0, 50, 255, 100), 0.25f, 0, Argb(63, 62, 190, 125)},
    // (c >> 2) + (p >> 2) + (c >> 1): A 63+0+127, R 25+12+50, G 0+63+1, B 50+25+100.
    {"weight 0.75", Argb(255, 100, 3, 201), Argb(0, 50, 255, 100), 0.75f, 0, Argb(190, 87, 64, 175)},
    // k = 76: R 100 + (-50*180/256 = -35), G 3 + 177, B 201 + (-101*180/256 = -71),
    // A from k, not the colour: 76 + (-76*180/256 = -53).
    {"other weights", Argb(255, 100, 3, 201), Argb(0, 50, 255, 100), 0.3f, 0, Argb(23, 65, 180, 130)},
    // The editor's panel: k = int(140/255*256) = 140, colour bytes p*116/256, alpha 140 + (pA-140)*116/256.
    {"panel colour over an opaque pixel", Argb(140, 0, 0, 0), Argb(255, 200, 100, 7), 1.0f, kAlpha,
     Argb(192, 90, 45, 3)},
    {"panel colour over a clear pixel", Argb(140, 0, 0, 0), Argb(0, 255, 1, 0), 1.0f, kAlpha, Argb(77, 115, 0, 0)},
    {"alpha 0 with the alpha flag changes nothing", Argb(0, 255, 255, 255), Argb(9, 8, 7, 6), 1.0f, kAlpha,
     Argb(9, 8, 7, 6)},
    // k = 128: R 50 + 50, G 255 + 1 -> 255, B 100 + 100, A 0 + 128*128/256.
    {"add", Argb(10, 100, 3, 201), Argb(0, 50, 255, 100), 0.5f, LICE_BLIT_MODE_ADD, Argb(64, 100, 255, 200)},
};

TEST(RasterFill, EveryWeightGivesTheHandWorkedPixel) {
  for (const BlendCase& c : kFillCases) {
    LICE_MemBitmap dst(1, 1);
    dst.Bits()[0] = c.dst;
    LICE::FillRect(&dst, 0, 0, 1, 1, c.src, c.weight, c.mode);
    EXPECT_EQ(Show(dst.Bits()[0]), Show(c.expected)) << c.name;
  }
}

constexpr uint32_t kSentinel = 0x5A5A5A5Au;
constexpr uint32_t kPoison = 0xDEADBEEFu;

// Fills the pixels and, distinctly, the padding between width and row span.
void Paint(LICE_MemBitmap* bm, uint32_t padding, uint32_t (*pixel)(int, int)) {
  for (int y = 0; y < bm->Height(); ++y)
    for (int x = 0; x < bm->RowSpan(); ++x)
      bm->Bits()[y * bm->RowSpan() + x] = x < bm->Width() ? pixel(x, y) : padding;
}
uint32_t SourcePixel(int x, int y) { return Argb(255, x, y, 77); }
uint32_t SentinelPixel(int, int) { return kSentinel; }

// One source pixel copied onto the sentinel with weight (arithmetic checked above).
uint32_t OverSentinel(uint32_t s, float weight) {
  LICE_MemBitmap one(1, 1), under(1, 1);
  one.Bits()[0] = s;
  under.Bits()[0] = kSentinel;
  LICE::Blit(&under, &one, 0, 0, nullptr, weight, LICE_BLIT_MODE_COPY);
  return under.Bits()[0];
}

struct ClipCase {
  const char* name;
  int srcW, srcH;
  int dstW, dstH;
  int dstX, dstY;
  bool useRect;
  LICE_Rect rect;
};

const ClipCase kClipCases[] = {
    {"inside", 5, 4, 7, 6, 1, 1, false, {}},
    {"off the left and top", 5, 4, 7, 6, -2, -3, false, {}},
    {"off the right and bottom", 5, 4, 7, 6, 5, 4, false, {}},
    {"source larger than destination", 12, 10, 7, 6, -1, -2, false, {}},
    {"rectangle inside the source", 5, 4, 7, 6, 0, 0, true, {1, 1, 4, 3}},
    {"rectangle past the source's edges", 5, 4, 7, 6, 1, 0, true, {2, 1, 50, 40}},
    {"rectangle with negative left and top", 5, 4, 7, 6, 0, 0, true, {-2, -1, 3, 3}},
    {"rectangle and destination both negative", 5, 4, 7, 6, -1, -1, true, {-2, -3, 4, 4}},
    {"past the right edge", 5, 4, 7, 6, 7, 0, false, {}},
    {"past the bottom edge", 5, 4, 7, 6, 0, 6, false, {}},
    {"far off the left", 5, 4, 7, 6, -5, 0, false, {}},
    {"empty rectangle", 5, 4, 7, 6, 0, 0, true, {3, 3, 3, 3}},
    {"rectangle outside the source", 5, 4, 7, 6, 0, 0, true, {5, 0, 9, 4}},
    {"empty source", 0, 0, 7, 6, 0, 0, false, {}},
    {"empty destination", 5, 4, 0, 0, 0, 0, false, {}},
};

TEST(RasterBlit, ClipsToBothBitmapsAndStaysInsideEachRow) {
  const float weights[] = {1.0f, 0.5f, 0.75f};
  for (const ClipCase& c : kClipCases) {
    for (float weight : weights) {
      LICE_MemBitmap src(c.srcW, c.srcH), dst(c.dstW, c.dstH);
      Paint(&src, kPoison, SourcePixel);
      Paint(&dst, kSentinel, SentinelPixel);
      LICE::Blit(&dst, &src, c.dstX, c.dstY, c.useRect ? &c.rect : nullptr, weight, LICE_BLIT_MODE_COPY);

      // Source pixel (u, v) of the clipped rectangle lands on (dstX + u - left, dstY + v - top).
      const LICE_Rect r = c.useRect ? c.rect : LICE_Rect{0, 0, c.srcW, c.srcH};
      std::vector<uint32_t> expected(static_cast<size_t>(dst.RowSpan()) * c.dstH, kSentinel);
      for (int v = std::max(r.top, 0); v < std::min(r.bottom, c.srcH); ++v)
        for (int u = std::max(r.left, 0); u < std::min(r.right, c.srcW); ++u) {
          const int x = c.dstX + u - r.left, y = c.dstY + v - r.top;
          if (x < 0 || y < 0 || x >= c.dstW || y >= c.dstH) continue;
          expected[static_cast<size_t>(y) * dst.RowSpan() + x] = OverSentinel(SourcePixel(u, v), weight);
        }
      for (int y = 0; y < c.dstH; ++y)
        for (int x = 0; x < dst.RowSpan(); ++x)
          ASSERT_EQ(Show(dst.Bits()[y * dst.RowSpan() + x]), Show(expected[static_cast<size_t>(y) * dst.RowSpan() + x]))
              << c.name << ", weight " << weight << ", pixel " << x << "," << y;
    }
  }
}

TEST(RasterBlit, OntoItselfReadsTheSourceBeforeWritingIt) {
  LICE_MemBitmap bm(6, 5);
  Paint(&bm, kPoison, SourcePixel);
  LICE::Blit(&bm, &bm, 1, 1, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
  for (int y = 1; y < 5; ++y)
    for (int x = 1; x < 6; ++x) EXPECT_EQ(bm.Bits()[y * bm.RowSpan() + x], SourcePixel(x - 1, y - 1));
}

struct FillClipCase {
  const char* name;
  int x, y, w, h;
};

const FillClipCase kFillClipCases[] = {
    {"inside", 1, 1, 3, 2},
    {"negative origin", -2, -1, 4, 3},
    {"larger than the bitmap", -3, -3, 100, 100},
    {"past the right and bottom", 5, 4, 10, 10},
    {"at the right edge", 7, 0, 3, 3},
    {"at the bottom edge", 0, 6, 3, 3},
    {"zero width", 1, 1, 0, 3},
    {"negative height", 1, 1, 3, -2},
    {"entirely off the left", -5, 0, 4, 3},
};

TEST(RasterFill, ClipsToTheBitmapAndStaysInsideEachRow) {
  const float weights[] = {1.0f, 0.5f, 0.3f};
  const uint32_t colour = Argb(255, 10, 20, 30);
  for (const FillClipCase& c : kFillClipCases) {
    for (float weight : weights) {
      LICE_MemBitmap bm(7, 6);
      Paint(&bm, kPoison, SentinelPixel);
      LICE_MemBitmap one(1, 1);  // the filled pixel's value (arithmetic checked above)
      one.Bits()[0] = kSentinel;
      LICE::FillRect(&one, 0, 0, 1, 1, colour, weight, LICE_BLIT_MODE_COPY);
      LICE::FillRect(&bm, c.x, c.y, c.w, c.h, colour, weight, LICE_BLIT_MODE_COPY);
      for (int y = 0; y < bm.Height(); ++y)
        for (int x = 0; x < bm.RowSpan(); ++x) {
          const bool inside = x < bm.Width() && x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h;
          const uint32_t want = x >= bm.Width() ? kPoison : inside ? one.Bits()[0] : kSentinel;
          ASSERT_EQ(Show(bm.Bits()[y * bm.RowSpan() + x]), Show(want))
              << c.name << ", weight " << weight << ", pixel " << x << "," << y;
        }
    }
  }
}

}  // namespace
