// PNG decoding and encoding with libpng. libpng reports errors by longjmp, so each setjmp region
// below is plain C-style code: no object with a destructor lives in a frame the jump can cross.
// The bitmap and row pointers are made by the caller between the two regions.
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"

#include <png.h>

#include <cctype>
#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <vector>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels are decoded as little-endian bytes B, G, R, A");

namespace {

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

struct PngDecode {
  png_structp png;
  png_infop info;
  PngSource source;
  png_uint_32 width;
  png_uint_32 height;
};

// A short read is an error: the data ends inside the image.
void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  PngSource* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > src->size - src->pos) png_error(png, "PNG data truncated");
  std::memcpy(out, src->data + src->pos, count);
  src->pos += count;
}

// Failures are reported by the null result; libpng's messages would only clutter a host's console.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

// Reads the header and sets the transformations that deliver every pixel as the bytes B, G, R, A:
// a little-endian A<<24 | R<<16 | G<<8 | B, so rows decode straight into the bitmap.
bool ReadHeader(PngDecode* st) {
  st->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (!st->png) return false;
  st->info = png_create_info_struct(st->png);
  if (!st->info) return false;
  if (setjmp(png_jmpbuf(st->png))) return false;

  png_set_user_limits(st->png, LICE_kMaxSide, LICE_kMaxSide);
  // Every chunk's CRC is still checked; zlib's own checksum over the inflated data only repeats
  // that check and costs a tenth of the decoding time.
#ifdef PNG_IGNORE_ADLER32
  png_set_option(st->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_set_read_fn(st->png, &st->source, ReadFromMemory);
  png_read_info(st->png, st->info);

  int bitDepth = 0, colorType = 0;
  png_get_IHDR(st->png, st->info, &st->width, &st->height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(st->png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(st->png);
  const bool hasTrns = png_get_valid(st->png, st->info, PNG_INFO_tRNS) != 0;
  if (hasTrns) png_set_tRNS_to_alpha(st->png);
  if (bitDepth == 16) png_set_strip_16(st->png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(st->png);
  png_set_bgr(st->png);
  if (!(colorType & PNG_COLOR_MASK_ALPHA) && !hasTrns) png_set_filler(st->png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(st->png);
  png_read_update_info(st->png, st->info);
  return png_get_rowbytes(st->png, st->info) == static_cast<size_t>(st->width) * 4;
}

bool ReadPixels(PngDecode* st, png_bytepp rows) {
  if (setjmp(png_jmpbuf(st->png))) return false;
  png_read_image(st->png, rows);
  return true;
}

}  // namespace

namespace LICE {

std::unique_ptr<LICE_MemBitmap> LoadPNGFromMemory(const void* data, size_t length) {
  if (!data || length < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;

  PngDecode st{};
  st.source = {static_cast<const uint8_t*>(data), length, 0};
  std::unique_ptr<LICE_MemBitmap> bitmap;
  std::vector<png_bytep> rows;
  bool ok = ReadHeader(&st);
  // Refuse absurd sizes before allocating anything for the pixels.
  ok = ok && st.width >= 1 && st.height >= 1 && st.width <= static_cast<png_uint_32>(LICE_kMaxSide) &&
       st.height <= static_cast<png_uint_32>(LICE_kMaxSide) &&
       static_cast<int64_t>(st.width) * st.height <= LICE_kMaxPixels;
  if (ok) {
    bitmap = std::make_unique<LICE_MemBitmap>(static_cast<int>(st.width), static_cast<int>(st.height));
    ok = bitmap->Bits() != nullptr;
  }
  if (ok) {
    const int span = bitmap->RowSpan();
    rows.resize(st.height);
    for (png_uint_32 y = 0; y < st.height; ++y)
      rows[y] = reinterpret_cast<png_bytep>(bitmap->Bits() + static_cast<size_t>(y) * span);
    ok = ReadPixels(&st, rows.data());
  }
  png_destroy_read_struct(st.png ? &st.png : nullptr, st.info ? &st.info : nullptr, nullptr);
  if (!ok) return nullptr;
  return bitmap;
}

bool IsPNGFileName(const char* name) noexcept {
  if (!name) return false;
  const size_t n = std::strlen(name);
  if (n < 4) return false;
  const char* ext = name + n - 4;
  return ext[0] == '.' && std::tolower(static_cast<unsigned char>(ext[1])) == 'p' &&
         std::tolower(static_cast<unsigned char>(ext[2])) == 'n' &&
         std::tolower(static_cast<unsigned char>(ext[3])) == 'g';
}

bool EncodePNG(const LICE_IBitmap& bitmap, std::vector<uint8_t>* out, bool opaque) {
  if (!out) return false;
  out->clear();
  const uint32_t* bits = bitmap.Bits();
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  if (!bits || w < 1 || h < 1) return false;
  png_int_32 stride = bitmap.RowSpan() * 4;
  std::vector<uint32_t> solid;
  if (opaque) {
    solid.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        solid[static_cast<size_t>(y) * w + x] = bits[static_cast<size_t>(y) * bitmap.RowSpan() + x] | 0xFF000000u;
    bits = solid.data();
    stride = w * 4;
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_BGRA;  // our pixels' bytes in memory, straight alpha
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, bits, stride, nullptr)) return false;
  out->resize(size);
  if (!png_image_write_to_memory(&image, out->data(), &size, 0, bits, stride, nullptr)) {
    out->clear();
    return false;
  }
  out->resize(size);
  return true;
}

bool WritePNG(const char* path, const LICE_IBitmap& bitmap, bool opaque) {
  std::vector<uint8_t> bytes;
  if (!path || !EncodePNG(bitmap, &bytes, opaque)) return false;
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace LICE
