// PNG decoding: a table of good images in every colour type the decoder expands (written here
// with libpng's writer) and broken ones (truncated, bad CRC, absurd sizes, not a PNG at all).
#include "raster/LICE_MemBitmap.h"
#include "raster/LICE_Raster.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

uint32_t Argb(int a, int r, int g, int b) { return LICE_RGBA(r, g, b, a); }

// What to write. samples: one entry per sample (palette index, gray, R/G/B/A, 8 or 16 bits).
struct PngSpec {
  int width = 1;
  int height = 1;
  int colorType = PNG_COLOR_TYPE_RGBA;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<int> samples;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS for a palette
  int transparentGray = -1;            // tRNS for gray
};

PngSpec ImageOf(int width, int height, int colorType, int bitDepth, bool interlaced = false) {
  PngSpec s;
  s.width = width;
  s.height = height;
  s.colorType = colorType;
  s.bitDepth = bitDepth;
  s.interlaced = interlaced;
  return s;
}

int Channels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGBA: return 4;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    default: return 1;
  }
}

// Packs samples into rows of bytes as PNG stores them (big-endian, high bits first).
std::vector<png_byte> PackRows(const PngSpec& s, size_t* rowBytes) {
  const int perRow = s.width * Channels(s.colorType);
  *rowBytes = (static_cast<size_t>(perRow) * s.bitDepth + 7) / 8;
  std::vector<png_byte> out(*rowBytes * s.height, 0);
  for (int y = 0; y < s.height; ++y) {
    png_byte* row = out.data() + *rowBytes * y;
    for (int i = 0; i < perRow; ++i) {
      const int v = s.samples[static_cast<size_t>(y) * perRow + i];
      if (s.bitDepth == 16) {
        row[2 * i] = static_cast<png_byte>(v >> 8);
        row[2 * i + 1] = static_cast<png_byte>(v & 0xFF);
      } else if (s.bitDepth == 8) {
        row[i] = static_cast<png_byte>(v);
      } else {
        const int bit = i * s.bitDepth;
        row[bit / 8] |= static_cast<png_byte>(v << (8 - s.bitDepth - bit % 8));
      }
    }
  }
  return out;
}

struct Sink {
  png_byte data[1 << 16];
  size_t size;
};

void WriteToSink(png_structp png, png_bytep bytes, size_t count) {
  Sink* sink = static_cast<Sink*>(png_get_io_ptr(png));
  if (count > sizeof sink->data - sink->size) png_error(png, "test image too large");
  std::memcpy(sink->data + sink->size, bytes, count);
  sink->size += count;
}
void FlushSink(png_structp) {}

// C-style: no destructors between libpng's longjmp and this setjmp.
bool WritePng(const PngSpec* s, png_bytepp rows, Sink* sink) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, sink, WriteToSink, FlushSink);
  png_set_IHDR(png, info, s->width, s->height, s->bitDepth, s->colorType,
               s->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s->palette.empty()) png_set_PLTE(png, info, s->palette.data(), static_cast<int>(s->palette.size()));
  if (!s->paletteAlpha.empty())
    png_set_tRNS(png, info, s->paletteAlpha.data(), static_cast<int>(s->paletteAlpha.size()), nullptr);
  if (s->transparentGray >= 0) {
    png_color_16 gray{};
    gray.gray = static_cast<png_uint_16>(s->transparentGray);
    png_set_tRNS(png, info, nullptr, 0, &gray);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

std::vector<uint8_t> Encode(const PngSpec& s) {
  size_t rowBytes = 0;
  std::vector<png_byte> packed = PackRows(s, &rowBytes);
  std::vector<png_bytep> rows(s.height);
  for (int y = 0; y < s.height; ++y) rows[y] = packed.data() + rowBytes * y;
  static Sink sink;
  sink.size = 0;
  if (!WritePng(&s, rows.data(), &sink)) return {};
  return std::vector<uint8_t>(sink.data, sink.data + sink.size);
}

struct GoodCase {
  const char* name;
  std::function<void(PngSpec*, std::vector<uint32_t>*)> make;  // fills the image and the pixels it must give
};

// Calls f for every pixel in row order.
void Each(const PngSpec& s, const std::function<void(int, int)>& f) {
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) f(x, y);
}

const GoodCase kGood[] = {
    {"RGBA, straight alpha kept",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(3, 2, PNG_COLOR_TYPE_RGBA, 8);
       Each(*s, [&](int x, int y) {
         const int r = 40 * x + 1, g = 200 - 30 * y, b = 7 * x + 13 * y, a = x == 0 ? 0 : 90 * x + y;
         s->samples.insert(s->samples.end(), {r, g, b, a});
         want->push_back(Argb(a, r, g, b));
       });
     }},
    {"RGB gets an opaque alpha",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(3, 2, PNG_COLOR_TYPE_RGB, 8);
       Each(*s, [&](int x, int y) {
         s->samples.insert(s->samples.end(), {250 - x, 9 * y, x * y});
         want->push_back(Argb(255, 250 - x, 9 * y, x * y));
       });
     }},
    {"palette with transparency",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(4, 2, PNG_COLOR_TYPE_PALETTE, 8);
       s->palette = {{10, 20, 30}, {200, 100, 0}, {1, 2, 3}, {255, 255, 255}, {0, 128, 255}};
       s->paletteAlpha = {0, 128};  // entries beyond the tRNS list are opaque
       Each(*s, [&](int x, int y) {
         const int i = (x + 3 * y) % 5;
         s->samples.push_back(i);
         const png_color c = s->palette[i];
         want->push_back(Argb(i < 2 ? s->paletteAlpha[i] : 255, c.red, c.green, c.blue));
       });
     }},
    {"4-bit palette, odd width",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(5, 1, PNG_COLOR_TYPE_PALETTE, 4);
       s->palette = {{9, 8, 7}, {60, 50, 40}, {255, 0, 0}};
       Each(*s, [&](int x, int) {
         const int i = x % 3;
         s->samples.push_back(i);
         want->push_back(Argb(255, s->palette[i].red, s->palette[i].green, s->palette[i].blue));
       });
     }},
    {"gray becomes opaque gray",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(4, 1, PNG_COLOR_TYPE_GRAY, 8);
       for (int v : {0, 1, 128, 255}) {
         s->samples.push_back(v);
         want->push_back(Argb(255, v, v, v));
       }
     }},
    {"2-bit gray expands to 8 bits",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(5, 1, PNG_COLOR_TYPE_GRAY, 2);
       for (int v : {0, 1, 2, 3, 1}) {
         s->samples.push_back(v);
         want->push_back(Argb(255, v * 85, v * 85, v * 85));
       }
     }},
    {"gray with a transparent value",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(3, 1, PNG_COLOR_TYPE_GRAY, 8);
       s->transparentGray = 50;
       for (int v : {49, 50, 51}) {
         s->samples.push_back(v);
         want->push_back(Argb(v == 50 ? 0 : 255, v, v, v));
       }
     }},
    {"gray and alpha",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(3, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8);
       const int pairs[3][2] = {{0, 255}, {100, 0}, {255, 77}};
       for (const auto& p : pairs) {
         s->samples.insert(s->samples.end(), {p[0], p[1]});
         want->push_back(Argb(p[1], p[0], p[0], p[0]));
       }
     }},
    {"16-bit RGBA keeps the high bytes",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(2, 1, PNG_COLOR_TYPE_RGBA, 16);
       s->samples = {0x12FF, 0xAB80, 0x0001, 0xFFFF, 0x80FF, 0x00FF, 0xFE7F, 0x7FFF};
       *want = {Argb(0xFF, 0x12, 0xAB, 0x00), Argb(0x7F, 0x80, 0x00, 0xFE)};
     }},
    {"16-bit gray",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(2, 1, PNG_COLOR_TYPE_GRAY, 16);
       s->samples = {0x40FF, 0xC001};
       *want = {Argb(255, 0x40, 0x40, 0x40), Argb(255, 0xC0, 0xC0, 0xC0)};
     }},
    {"interlaced RGBA",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(9, 7, PNG_COLOR_TYPE_RGBA, 8, true);
       Each(*s, [&](int x, int y) {
         const int r = 25 * x, g = 30 * y, b = (x * 7 + y * 11) % 256, a = 255 - x - y;
         s->samples.insert(s->samples.end(), {r, g, b, a});
         want->push_back(Argb(a, r, g, b));
       });
     }},
    {"interlaced 1-bit gray",
     [](PngSpec* s, std::vector<uint32_t>* want) {
       *s = ImageOf(10, 3, PNG_COLOR_TYPE_GRAY, 1, true);
       Each(*s, [&](int x, int y) {
         const int v = (x + y) % 3 == 0;
         s->samples.push_back(v);
         want->push_back(Argb(255, v * 255, v * 255, v * 255));
       });
     }},
};

TEST(PngDecode, GoodImagesOfEveryColourTypeDecodeToStraightArgb) {
  for (const GoodCase& c : kGood) {
    PngSpec image;
    std::vector<uint32_t> want;
    c.make(&image, &want);
    const std::vector<uint8_t> bytes = Encode(image);
    ASSERT_FALSE(bytes.empty()) << c.name;
    std::unique_ptr<LICE_MemBitmap> bm = LICE::LoadPNGFromMemory(bytes.data(), bytes.size());
    ASSERT_TRUE(bm) << c.name;
    ASSERT_EQ(bm->Width(), image.width) << c.name;
    ASSERT_EQ(bm->Height(), image.height) << c.name;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        EXPECT_EQ(bm->Bits()[y * bm->RowSpan() + x], want[static_cast<size_t>(y) * image.width + x])
            << c.name << " at " << x << "," << y;
  }
}

// A valid 16 x 16 RGBA image to break.
std::vector<uint8_t> ValidImage() {
  PngSpec s = ImageOf(16, 16, PNG_COLOR_TYPE_RGBA, 8);
  for (int i = 0; i < 16 * 16; ++i) s.samples.insert(s.samples.end(), {i % 256, (i * 7) % 256, (i * 13) % 256, 200});
  return Encode(s);
}

uint32_t ReadBe32(const uint8_t* p) { return (uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }
void WriteBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Offset of the first chunk of the type (its length field).
size_t FindChunk(const std::vector<uint8_t>& png, const char* type) {
  size_t pos = 8;
  while (pos + 8 <= png.size()) {
    if (std::memcmp(&png[pos + 4], type, 4) == 0) return pos;
    pos += 12 + ReadBe32(&png[pos]);
  }
  return 0;
}

// IHDR with a new size and a correct CRC.
std::vector<uint8_t> WithSize(std::vector<uint8_t> png, uint32_t w, uint32_t h) {
  const size_t ihdr = FindChunk(png, "IHDR");
  WriteBe32(&png[ihdr + 8], w);
  WriteBe32(&png[ihdr + 12], h);
  WriteBe32(&png[ihdr + 8 + 13], static_cast<uint32_t>(crc32(0, &png[ihdr + 4], 17)));
  return png;
}

std::vector<uint8_t> Flipped(std::vector<uint8_t> png, size_t at) {
  png[at] ^= 0x40;
  return png;
}

TEST(PngDecode, BrokenImagesGiveNullAndReleaseEverything) {
  const std::vector<uint8_t> valid = ValidImage();
  ASSERT_TRUE(LICE::LoadPNGFromMemory(valid.data(), valid.size()));
  const size_t idat = FindChunk(valid, "IDAT");
  const size_t idatEnd = idat + 12 + ReadBe32(&valid[idat]);
  ASSERT_GT(idat, 0u);

  struct Broken {
    std::string name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Broken> cases;
  for (size_t cut : {size_t{8}, size_t{20}, size_t{33}, idat + 10, (idat + idatEnd) / 2, idatEnd - 3})
    cases.push_back({"truncated to " + std::to_string(cut) + " bytes",
                     std::vector<uint8_t>(valid.begin(), valid.begin() + cut)});
  cases.push_back({"bad CRC in IHDR", Flipped(valid, 8 + 8 + 2)});
  cases.push_back({"bad CRC in IDAT", Flipped(valid, idat + 8 + 5)});
  cases.push_back({"bad signature", Flipped(valid, 1)});
  cases.push_back({"width 0", WithSize(valid, 0, 16)});
  cases.push_back({"width beyond PNG's limit", WithSize(valid, 0x80000000u, 1)});
  cases.push_back({"side beyond the bitmap limit", WithSize(valid, LICE_kMaxSide + 1, 1)});
  cases.push_back({"absurd area", WithSize(valid, 30000, 30000)});
  cases.push_back({"largest sides", WithSize(valid, LICE_kMaxSide, LICE_kMaxSide)});
  cases.push_back({"right size, too little data", WithSize(valid, 16, 4000)});
  cases.push_back({"garbage", std::vector<uint8_t>(100, 0x89)});
  cases.push_back({"empty", {}});

  for (const Broken& c : cases) EXPECT_FALSE(LICE::LoadPNGFromMemory(c.bytes.data(), c.bytes.size())) << c.name;
  EXPECT_FALSE(LICE::LoadPNGFromMemory(nullptr, 100));
}

TEST(PngEncode, RoundTripsEveryPixelOrMakesThemOpaqueAndRefusesEmptyBitmaps) {
  LICE_MemBitmap bm(5, 3);  // row span 8: the padding must not leak into the file
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) bm.Bits()[y * 8 + x] = x < 5 ? Argb(x * 60, y * 100, 255 - x, 3 * x + y) : 0xDEADBEEF;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(LICE::EncodePNG(bm, &bytes));
  std::unique_ptr<LICE_MemBitmap> back = LICE::LoadPNGFromMemory(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  ASSERT_EQ(back->Width(), 5);
  ASSERT_EQ(back->Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back->Bits()[y * back->RowSpan() + x], bm.Bits()[y * 8 + x]);

  ASSERT_TRUE(LICE::EncodePNG(bm, &bytes, true));
  back = LICE::LoadPNGFromMemory(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back->Bits()[y * back->RowSpan() + x], bm.Bits()[y * 8 + x] | 0xFF000000u);

  LICE_MemBitmap empty;
  EXPECT_FALSE(LICE::EncodePNG(empty, &bytes));
  EXPECT_TRUE(bytes.empty());
}

TEST(PngDecode, FileNamesMatchTheExtensionWithoutRegardToCase) {
  const struct {
    const char* name;
    bool png;
  } cases[] = {{"resources/img/ka_knob_0027.png", true}, {"A.PNG", true}, {"b.Png", true}, {".png", true},
               {"png", false}, {"a.pngx", false}, {"a.jpg", false}, {"apng", false}, {nullptr, false}};
  for (const auto& c : cases) EXPECT_EQ(LICE::IsPNGFileName(c.name), c.png) << (c.name ? c.name : "null");
  EXPECT_STREQ(LICE::kPNGFileTypeDescription, "PNG files (*.PNG)");
}

}  // namespace
