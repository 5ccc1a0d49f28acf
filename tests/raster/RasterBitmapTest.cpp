// LICE_MemBitmap growth and LICE_SysBitmap keeping its section, as sequences of resizes.
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_SysBitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct MemStep {
  int w, h;
  bool changed;
  int width, height, span;
  size_t allocated;  // bytes without the alignment slack
};

// Row span is the width rounded up to 4; growth reserves a quarter more; nothing shrinks.
const MemStep kMemSteps[] = {
    {10, 10, true, 10, 10, 12, 12 * 10 * 4},      // first allocation: exactly what is needed
    {10, 10, false, 10, 10, 12, 480},             // same size
    {20, 10, true, 20, 10, 20, 800 * 5 / 4},      // grows by a quarter
    {21, 10, true, 21, 10, 24, 1000},             // 960 bytes fit
    {5, 5, true, 5, 5, 8, 1000},                  // never shrinks
    {0, 0, true, 0, 0, 0, 0},                     // frees
    {-4, 5, true, 0, 0, 0, 0},                    // negative: empty
    {3, 1, true, 3, 1, 4, 16},                    // fresh allocation after freeing
    {1 << 20, 1 << 20, true, 0, 0, 0, 0},         // refused, not allocated
    {LICE_kMaxSide, LICE_kMaxSide, true, 0, 0, 0, 0},
    {2, 2, true, 2, 2, 4, 32},
};

TEST(RasterMemBitmap, GrowsByAQuarterNeverShrinksAndRefusesAbsurdSizes) {
  LICE_MemBitmap bm;
  EXPECT_EQ(bm.Bits(), nullptr);
  int step = 0;
  for (const MemStep& s : kMemSteps) {
    SCOPED_TRACE(testing::Message() << "step " << step++ << ": " << s.w << " x " << s.h);
    EXPECT_EQ(bm.Resize(s.w, s.h), s.changed);
    EXPECT_EQ(bm.Width(), s.width);
    EXPECT_EQ(bm.Height(), s.height);
    EXPECT_EQ(bm.AllocatedBytes(), s.allocated);
    EXPECT_FALSE(bm.IsFlipped());
    if (s.width > 0) {
      EXPECT_EQ(bm.RowSpan(), s.span);
      ASSERT_NE(bm.Bits(), nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.Bits()) % 64, 0u);
      bm.Bits()[s.span * s.height - 1] = 1;  // the last pixel of the last row is ours (ASan checks)
    } else {
      EXPECT_EQ(bm.Bits(), nullptr);
    }
  }
}

struct SysStep {
  int w, h;
  bool changed;
  int width, height, span;
  bool sameSection;  // pixels where they were before this step
};

const SysStep kSysSteps[] = {
    {50, 50, true, 50, 50, 100, true},     // shrinking keeps the section
    {50, 50, false, 50, 50, 100, true},
    {100, 100, true, 100, 100, 100, true}, // back to the section's size
    {101, 50, true, 101, 50, 104, false},  // wider: a new section, width rounded up to 4
    {104, 20, true, 104, 20, 104, true},
    {0, 0, false, 0, 0, 0, false},         // below 1: no pixels
    {7, 3, true, 7, 3, 8, false},
    {1 << 20, 4, true, 0, 0, 0, false},    // refused
};

TEST(RasterSysBitmap, KeepsItsSectionWhenShrinking) {
  LICE_SysBitmap bm(100, 100);
  ASSERT_NE(bm.DeviceContext(), nullptr);
  ASSERT_NE(bm.Bits(), nullptr);
  EXPECT_EQ(bm.RowSpan(), 100);
  int step = 0;
  for (const SysStep& s : kSysSteps) {
    SCOPED_TRACE(testing::Message() << "step " << step++ << ": " << s.w << " x " << s.h);
    const uint32_t* before = bm.Bits();
    EXPECT_EQ(bm.Resize(s.w, s.h), s.changed);
    EXPECT_EQ(bm.Width(), s.width);
    EXPECT_EQ(bm.Height(), s.height);
    if (s.width > 0) {
      EXPECT_EQ(bm.RowSpan(), s.span);
      ASSERT_NE(bm.Bits(), nullptr);
      if (s.sameSection) {
        EXPECT_EQ(bm.Bits(), before);
      }
      bm.Bits()[s.span * s.height - 1] = 1;
    } else {
      EXPECT_EQ(bm.Bits(), nullptr);
    }
  }
}

}  // namespace
