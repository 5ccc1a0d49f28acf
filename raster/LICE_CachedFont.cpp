#include "raster/LICE_CachedFont.h"

#include "raster/LICE_Platform.h"
#include "raster/LICE_Raster.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kReplacementChar = 0xFFFD;

// Appends the code points of UTF-8 text; malformed sequences become U+FFFD.
void DecodeUtf8(const char* text, size_t length, std::vector<uint32_t>* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* end = p + length;
  while (p < end) {
    const unsigned c = *p++;
    int extra = 0;
    uint32_t cp = c;
    if (c >= 0xF0 && c < 0xF8) {
      extra = 3;
      cp = c & 0x07;
    } else if (c >= 0xE0) {
      extra = c < 0xF0 ? 2 : -1;
      cp = c & 0x0F;
    } else if (c >= 0xC2) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0x80) {
      extra = -1;
    }
    if (extra < 0) {
      out->push_back(kReplacementChar);
      continue;
    }
    bool ok = true;
    for (int i = 0; i < extra; ++i) {
      if (p >= end || (*p & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (*p++ & 0x3F);
    }
    out->push_back(ok ? cp : kReplacementChar);
  }
}

}  // namespace

LICE_CachedFont::LICE_CachedFont() = default;

LICE_CachedFont::~LICE_CachedFont() {
  if ((mFlags & LICE_FONT_FLAG_OWNS_HFONT) && mFont) LICE_Platform::DeleteOsFont(mFont);
}

void LICE_CachedFont::SetFromOsFont(LICE_FontHandle font, int flags) {
  if ((mFlags & LICE_FONT_FLAG_OWNS_HFONT) && mFont && mFont != font) LICE_Platform::DeleteOsFont(mFont);
  mFlags = flags;
  mFont = font;
  mLineHeight = LICE_Platform::FontLineHeight(font);
  mGlyphs.clear();
  mGlyphPixels.clear();
  if ((flags & LICE_FONT_FLAG_PRECALCALL) && font)
    for (uint32_t c = 0; c < 128; ++c) FindGlyph(c);
}

uint32_t LICE_CachedFont::SetTextColor(uint32_t color) {
  const uint32_t old = mTextColor;
  mTextColor = color;
  return old;
}

void LICE_CachedFont::SetCombineMode(int mode, float weight) {
  mCombineMode = mode;
  mCombineWeight = weight;
}

const LICE_CachedFont::Glyph* LICE_CachedFont::FindGlyph(uint32_t codepoint) {
  auto it = mGlyphs.find(codepoint);
  if (it != mGlyphs.end()) return &it->second;
  LICE_Platform::GlyphImage image;
  Glyph glyph;
  glyph.offset = mGlyphPixels.size();
  // A glyph the font cannot render is remembered as an empty one, so it is not tried again.
  if (LICE_Platform::RenderGlyph(mFont, codepoint, &image, &mGlyphPixels)) {
    glyph.advance = image.advance;
    glyph.left = image.left;
    glyph.top = image.top;
    glyph.width = image.width;
    glyph.height = image.height;
  } else {
    mGlyphPixels.resize(glyph.offset);
  }
  return &mGlyphs.emplace(codepoint, glyph).first->second;
}

namespace {
bool gNativeUnderWine = false;
}  // namespace

void LICE_CachedFont::AllowNativeTextUnderWine(bool allow) noexcept { gNativeUnderWine = allow; }

bool LICE_CachedFont::UseNative(const LICE_IBitmap* dest, int flags) const noexcept {
  if (!LICE_Platform::HasNativeText() || !mFont) return false;
  // Natively drawn text needs a device context to land in; measuring needs none.
  if (dest && !dest->DeviceContext()) return false;
  if (mLineHeight > 255) return true;
  return (mFlags & LICE_FONT_FLAG_FORCE_NATIVE) && (gNativeUnderWine || !LICE_Platform::RunningUnderWine()) &&
         !(flags & LICE_DT_USEFGALPHA) && !(mFlags & (LICE_FONT_FLAGS_GLYPH_ONLY | LICE_FONT_FLAG_PRECALCALL)) &&
         (mGlyphs.empty() || (flags & LICE_DT_SINGLELINE));
}

int LICE_CachedFont::DrawString(LICE_IBitmap* dest, const char* text, int length, LICE_Rect* rect, int flags) {
  if (!dest && !(flags & LICE_DT_CALCRECT)) return 0;
  if (!text || !rect) return 0;
  if (UseNative(dest, flags)) {
    LICE_Platform::NativeTextRequest request;
    request.context = dest ? dest->DeviceContext() : nullptr;
    request.font = mFont;
    request.text = text;
    request.length = length < 0 ? static_cast<int>(std::strlen(text)) : length;
    request.flags = flags & ~LICE_DT_USEFGALPHA;
    request.textColor = mTextColor;
    request.bkMode = mBkMode;
    request.bkColor = mBkColor;
    return LICE_Platform::DrawNativeText(request, rect);
  }
  return DrawCachedGlyphs(dest, text, length, rect, flags);
}

int LICE_CachedFont::DrawCachedGlyphs(LICE_IBitmap* dest, const char* text, int length, LICE_Rect* rect,
                                      int flags) {
  if (!dest && !(flags & LICE_DT_CALCRECT)) return 0;
  if (!text || !rect || !mFont) return 0;
  const size_t bytes = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
  mCodepoints.clear();
  DecodeUtf8(text, bytes, &mCodepoints);

  // Lines end at '\n' unless the text is a single line; '\r' takes no room.
  const bool singleLine = (flags & LICE_DT_SINGLELINE) != 0;
  int lines = 1;
  int width = 0;
  int lineWidth = 0;
  for (uint32_t cp : mCodepoints) {
    if (cp == '\r' || (cp == '\n' && singleLine)) continue;
    if (cp == '\n') {
      width = std::max(width, lineWidth);
      lineWidth = 0;
      ++lines;
      continue;
    }
    lineWidth += FindGlyph(cp)->advance;
  }
  width = std::max(width, lineWidth);
  const int height = lines * mLineHeight;
  if (flags & LICE_DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }

  int top = rect->top;
  if (singleLine && (flags & LICE_DT_VCENTER))
    top = rect->top + (rect->bottom - rect->top - height) / 2;
  else if (singleLine && (flags & LICE_DT_BOTTOM))
    top = rect->bottom - height;
  auto lineLeft = [&](int w) {
    if (flags & LICE_DT_CENTER) return rect->left + (rect->right - rect->left - w) / 2;
    if (flags & LICE_DT_RIGHT) return rect->right - w;
    return rect->left;
  };
  int blockLeft = lineLeft(width);
  if (flags & LICE_DT_CENTER) blockLeft = std::min(blockLeft, lineLeft(0));

  // The text goes into a canvas in the text colour with coverage as alpha, a margin around it
  // for glyphs that reach past their advance or the line; then one blit puts it in place.
  const int margin = mLineHeight / 2 + 2;
  const int canvasLeft = blockLeft - margin;
  const int canvasTop = top - margin;
  const int canvasW = std::max(width, lineLeft(0) - blockLeft) + 2 * margin;
  const int canvasH = height + 2 * margin;
  mCanvas.Resize(canvasW, canvasH);
  uint32_t* canvas = mCanvas.Bits();
  if (!canvas) return 0;
  const int span = mCanvas.RowSpan();
  const uint32_t rgb = mTextColor & 0x00FFFFFFu;
  for (int y = 0; y < canvasH; ++y) std::fill_n(canvas + static_cast<size_t>(y) * span, canvasW, rgb);
  const int alphaScale = (flags & LICE_DT_USEFGALPHA) ? LICE_GETA(mTextColor) : 255;

  int line = 0;
  size_t i = 0;
  while (i <= mCodepoints.size()) {
    size_t end = i;
    int w = 0;
    for (; end < mCodepoints.size(); ++end) {
      const uint32_t cp = mCodepoints[end];
      if (cp == '\n' && !singleLine) break;
      if (cp != '\r' && cp != '\n') w += FindGlyph(cp)->advance;
    }
    const int lineY = top + line * mLineHeight;
    int x = lineLeft(w);
    if (mBkMode == LICE_BKMODE_OPAQUE && dest) {
      int fx = x, fy = lineY, fr = x + w, fb = lineY + mLineHeight;
      if (!(flags & LICE_DT_NOCLIP)) {
        fx = std::max(fx, rect->left);
        fy = std::max(fy, rect->top);
        fr = std::min(fr, rect->right);
        fb = std::min(fb, rect->bottom);
      }
      LICE::FillRect(dest, fx, fy, fr - fx, fb - fy, mBkColor, 1.0f, LICE_BLIT_MODE_COPY);
    }
    for (size_t j = i; j < end; ++j) {
      const uint32_t cp = mCodepoints[j];
      if (cp == '\r' || cp == '\n') continue;
      const Glyph* g = FindGlyph(cp);
      const uint8_t* cov = mGlyphPixels.data() + g->offset;
      for (int gy = 0; gy < g->height; ++gy) {
        const int cy = lineY + g->top + gy - canvasTop;
        if (cy < 0 || cy >= canvasH) continue;
        for (int gx = 0; gx < g->width; ++gx) {
          const int cx = x + g->left + gx - canvasLeft;
          if (cx < 0 || cx >= canvasW) continue;
          const uint32_t a = static_cast<uint32_t>(cov[gy * g->width + gx] * alphaScale / 255);
          uint32_t& px = canvas[static_cast<size_t>(cy) * span + cx];
          if (a > (px >> 24)) px = rgb | (a << 24);
        }
      }
      x += g->advance;
    }
    ++line;
    i = end + 1;
  }

  LICE_Rect src{0, 0, canvasW, canvasH};
  int dstX = canvasLeft;
  int dstY = canvasTop;
  if (!(flags & LICE_DT_NOCLIP)) {
    src.left = std::max(0, rect->left - canvasLeft);
    src.top = std::max(0, rect->top - canvasTop);
    src.right = std::min(canvasW, rect->right - canvasLeft);
    src.bottom = std::min(canvasH, rect->bottom - canvasTop);
    if (src.right <= src.left || src.bottom <= src.top) return height;
    dstX = canvasLeft + src.left;
    dstY = canvasTop + src.top;
  }
  LICE::Blit(dest, &mCanvas, dstX, dstY, &src, mCombineWeight, (mCombineMode & LICE_BLIT_MODE_MASK) | LICE_BLIT_USE_ALPHA);
  return height;
}

namespace LICE {

LICE_FontHandle CreateOsFont(const LICE_FontSpec& fontSpec) { return LICE_Platform::CreateOsFont(fontSpec); }

void DeleteOsFont(LICE_FontHandle font) noexcept { LICE_Platform::DeleteOsFont(font); }

}  // namespace LICE
