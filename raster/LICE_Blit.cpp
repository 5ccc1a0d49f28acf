// Blit and FillRect. Integer arithmetic throughout; '/' truncates toward zero as the results
// are defined that way (a negative difference rounds up, not down).
#include "raster/LICE_IBitmap.h"
#include "raster/LICE_Raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

inline int Byte(uint32_t p, int shift) noexcept { return static_cast<int>((p >> shift) & 0xFF); }
inline uint32_t Pack(int b, int g, int r, int a) noexcept {
  return static_cast<uint32_t>(b) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(r) << 16) |
         (static_cast<uint32_t>(a) << 24);
}
inline int Min255(int v) noexcept { return v > 255 ? 255 : v; }

// Weight w (1..256) applied to each of the four bytes: d = s + (d - s) x (256 - w) / 256.
inline uint32_t CopyWeighted(uint32_t s, uint32_t d, int w) noexcept {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int sv = Byte(s, shift);
    const int dv = Byte(d, shift);
    out |= static_cast<uint32_t>(sv + (dv - sv) * (256 - w) / 256) << shift;
  }
  return out;
}

inline uint32_t CopyAlpha(uint32_t s, uint32_t d, int w) noexcept {
  const int sa = Byte(s, 24);
  if (sa == 0) return d;
  if (w == 256) {
    if (sa == 255) return (s & 0x00FFFFFFu) | 0xFF000000u;
    const int a = Min255(Byte(d, 24) + sa);
    int c[3];
    for (int i = 0; i < 3; ++i) {
      const int sv = Byte(s, 8 * i);
      c[i] = sv + (Byte(d, 8 * i) - sv) * (255 - sa) / 256;
    }
    return Pack(c[0], c[1], c[2], a);
  }
  const int k = w * (sa + 1) / 256;
  const int a = Min255(Byte(d, 24) + k);
  int c[3];
  for (int i = 0; i < 3; ++i) {
    const int sv = Byte(s, 8 * i);
    c[i] = sv + (Byte(d, 8 * i) - sv) * (256 - k) / 256;
  }
  return Pack(c[0], c[1], c[2], a);
}

inline uint32_t AddAlpha(uint32_t s, uint32_t d, int w) noexcept {
  const int sa = Byte(s, 24);
  if (sa == 0) return d;
  const int k = w * (sa + 1) / 256;
  int c[3];
  for (int i = 0; i < 3; ++i) c[i] = Min255(Byte(d, 8 * i) + k * Byte(s, 8 * i) / 256);
  return Pack(c[0], c[1], c[2], Min255(Byte(d, 24) + sa * k / 256));
}

inline uint32_t AddPlain(uint32_t s, uint32_t d, int w) noexcept {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= static_cast<uint32_t>(Min255(Byte(d, shift) + w * Byte(s, shift) / 256)) << shift;
  return out;
}

inline int Dodge(int d, int t) noexcept { return Min255(t > 254 ? d * 256 : d * 256 / (256 - t)); }

inline uint32_t DodgeAlpha(uint32_t s, uint32_t d, int w) noexcept {
  const int sa = Byte(s, 24);
  const int k = w * (sa + 1) / 256;
  int c[3];
  for (int i = 0; i < 3; ++i) c[i] = Dodge(Byte(d, 8 * i), k * Byte(s, 8 * i) / 256);
  return Pack(c[0], c[1], c[2], Dodge(Byte(d, 24), sa * k / 256));
}

inline uint32_t DodgePlain(uint32_t s, uint32_t d, int w) noexcept {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= static_cast<uint32_t>(Dodge(Byte(d, shift), w * Byte(s, shift) / 256)) << shift;
  return out;
}

// Half of each byte of a plus half of each byte of b, on whole pixels.
inline uint32_t Half(uint32_t v) noexcept { return (v >> 1) & 0x7F7F7F7Fu; }
inline uint32_t Quarter(uint32_t v) noexcept { return (v >> 2) & 0x3F3F3F3Fu; }

template <typename Op>
void ForEachPixel(uint32_t* dst, int dstSpan, const uint32_t* src, int srcSpan, int w, int h, Op op) {
  for (int y = 0; y < h; ++y) {
    uint32_t* d = dst + static_cast<ptrdiff_t>(y) * dstSpan;
    const uint32_t* s = src + static_cast<ptrdiff_t>(y) * srcSpan;
    for (int x = 0; x < w; ++x) d[x] = op(s[x], d[x]);
  }
}

// Weight as 1..256; 0 for nothing to draw. Weights above 1 draw as 1.
int WeightToInt(float weight) noexcept {
  const double w = static_cast<double>(weight) * 256.0;
  if (!(w >= 1.0)) return 0;
  return w >= 256.0 ? 256 : static_cast<int>(w);
}

}  // namespace

namespace LICE {

void Blit(LICE_IBitmap* dest, const LICE_IBitmap* src, int dstX, int dstY, const LICE_Rect* srcRect, float weight,
          int mode) {
  if (!dest || !src || weight == 0.0f) return;

  const int64_t srcW = src->Width();
  const int64_t srcH = src->Height();
  const int64_t dstW = dest->Width();
  const int64_t dstH = dest->Height();
  int64_t sx = 0, sy = 0, sr = srcW, sb = srcH;
  int64_t dx = dstX, dy = dstY;
  if (srcRect) {
    sx = srcRect->left;
    sy = srcRect->top;
    sr = std::min<int64_t>(srcRect->right, srcW);
    sb = std::min<int64_t>(srcRect->bottom, srcH);
    if (sx < 0) {
      dx -= sx;
      sx = 0;
    }
    if (sy < 0) {
      dy -= sy;
      sy = 0;
    }
  }
  if (dx < 0) {
    sx -= dx;
    dx = 0;
  }
  if (dy < 0) {
    sy -= dy;
    dy = 0;
  }
  if (sx >= sr || sy >= sb || dx >= dstW || dy >= dstH) return;
  const int64_t cw = std::min(sr, sx + dstW - dx) - sx;
  const int64_t ch = std::min(sb, sy + dstH - dy) - sy;
  uint32_t* dBits = dest->Bits();
  const uint32_t* sBits = src->Bits();
  if (cw <= 0 || ch <= 0 || !dBits || !sBits) return;

  const int w = static_cast<int>(cw);
  const int h = static_cast<int>(ch);
  int srcSpan = src->RowSpan();
  const int dstSpan = dest->RowSpan();
  uint32_t* d = dBits + dy * dstSpan + dx;
  const uint32_t* s = sBits + sy * srcSpan + sx;

  // Blitting a bitmap onto itself: take the source rows first so no pixel is read after it
  // has been written.
  std::vector<uint32_t> copy;
  if (static_cast<const LICE_IBitmap*>(dest) == src) {
    copy.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) std::memcpy(&copy[static_cast<size_t>(y) * w], s + y * srcSpan, w * 4u);
    s = copy.data();
    srcSpan = w;
  }

  const int blend = mode & LICE_BLIT_MODE_MASK;
  const bool useAlpha = (mode & LICE_BLIT_USE_ALPHA) != 0;
  if (blend == LICE_BLIT_MODE_COPY && !useAlpha) {
    if (weight == 1.0f) {
      for (int y = 0; y < h; ++y) std::memmove(d + y * dstSpan, s + y * srcSpan, w * 4u);
      return;
    }
    if (weight == 0.5f) {
      ForEachPixel(d, dstSpan, s, srcSpan, w, h, [](uint32_t sp, uint32_t dp) { return Half(sp) + Half(dp); });
      return;
    }
  }
  const int iw = WeightToInt(weight);
  if (iw == 0) return;

  switch (blend) {
    case LICE_BLIT_MODE_COPY:
      if (useAlpha)
        ForEachPixel(d, dstSpan, s, srcSpan, w, h, [iw](uint32_t sp, uint32_t dp) { return CopyAlpha(sp, dp, iw); });
      else if (iw == 256)
        ForEachPixel(d, dstSpan, s, srcSpan, w, h, [](uint32_t sp, uint32_t) { return sp; });
      else
        ForEachPixel(d, dstSpan, s, srcSpan, w, h,
                     [iw](uint32_t sp, uint32_t dp) { return CopyWeighted(sp, dp, iw); });
      break;
    case LICE_BLIT_MODE_ADD:
      if (useAlpha)
        ForEachPixel(d, dstSpan, s, srcSpan, w, h, [iw](uint32_t sp, uint32_t dp) { return AddAlpha(sp, dp, iw); });
      else
        ForEachPixel(d, dstSpan, s, srcSpan, w, h, [iw](uint32_t sp, uint32_t dp) { return AddPlain(sp, dp, iw); });
      break;
    case LICE_BLIT_MODE_DODGE:
      if (useAlpha)
        ForEachPixel(d, dstSpan, s, srcSpan, w, h,
                     [iw](uint32_t sp, uint32_t dp) { return DodgeAlpha(sp, dp, iw); });
      else
        ForEachPixel(d, dstSpan, s, srcSpan, w, h,
                     [iw](uint32_t sp, uint32_t dp) { return DodgePlain(sp, dp, iw); });
      break;
    default:  // further modes are not part of this layer: nothing is drawn
      break;
  }
}

void FillRect(LICE_IBitmap* dest, int x, int y, int width, int height, uint32_t color, float weight, int mode) {
  if (!dest) return;
  if (mode & LICE_BLIT_USE_ALPHA) weight *= static_cast<float>(LICE_GETA(color)) / 255.0f;
  int64_t fx = x, fy = y, fw = width, fh = height;
  if (fx < 0) {
    fw += fx;
    fx = 0;
  }
  if (fy < 0) {
    fh += fy;
    fy = 0;
  }
  uint32_t* bits = dest->Bits();
  const int64_t bw = dest->Width();
  const int64_t bh = dest->Height();
  if (weight == 0.0f || !bits || fw <= 0 || fh <= 0 || fx >= bw || fy >= bh) return;
  fw = std::min(fw, bw - fx);
  fh = std::min(fh, bh - fy);

  const float scaled = weight * 256.0f;
  if (!(scaled >= 1.0f)) return;
  const int k = scaled >= 256.0f ? 256 : static_cast<int>(scaled);
  const int span = dest->RowSpan();
  const int w = static_cast<int>(fw);
  const int h = static_cast<int>(fh);
  uint32_t* row = bits + fy * span + fx;

  auto each = [&](auto op) {
    for (int j = 0; j < h; ++j, row += span)
      for (int i = 0; i < w; ++i) row[i] = op(row[i]);
  };
  const int blend = mode & LICE_BLIT_MODE_MASK;
  if (blend == LICE_BLIT_MODE_COPY) {
    const int cb = LICE_GETB(color), cg = LICE_GETG(color), cr = LICE_GETR(color);
    switch (k) {
      case 256: each([color](uint32_t) { return color; }); break;
      case 128: each([color](uint32_t p) { return Half(color) + Half(p); }); break;
      case 64: each([color](uint32_t p) { return Half(p) + Quarter(p) + Quarter(color); }); break;
      case 192: each([color](uint32_t p) { return Quarter(color) + Quarter(p) + Half(color); }); break;
      default:
        each([=](uint32_t p) {
          return Pack(cb + (Byte(p, 0) - cb) * (256 - k) / 256, cg + (Byte(p, 8) - cg) * (256 - k) / 256,
                      cr + (Byte(p, 16) - cr) * (256 - k) / 256, k + (Byte(p, 24) - k) * (256 - k) / 256);
        });
        break;
    }
  } else if (blend == LICE_BLIT_MODE_ADD) {
    const int cb = LICE_GETB(color), cg = LICE_GETG(color), cr = LICE_GETR(color);
    each([=](uint32_t p) {
      return Pack(Min255(Byte(p, 0) + cb * k / 256), Min255(Byte(p, 8) + cg * k / 256),
                  Min255(Byte(p, 16) + cr * k / 256), Min255(Byte(p, 24) + k * k / 256));
    });
  }
}

}  // namespace LICE
