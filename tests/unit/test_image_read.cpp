// Reading pictures: BMP files and clipboard blocks of every layout the readers take (built byte
// by byte), PNG of every colour type (written by LodePNG exactly as asked), and refusals of
// damaged or hostile input, each with its reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "image/dib_parse.h"
#include "image/image_read.h"
#include "image/picture_read.h"
#include "image_test_support.h"

namespace vcv {
namespace {

using namespace image_test;

std::vector<uint32_t> grey_table(int n) {
  std::vector<uint32_t> t;
  for (int i = 0; i < n; ++i) t.push_back(0x00010101u * static_cast<uint32_t>(i * 255 / (n - 1)));
  return t;
}

Picture read_ok(const Bytes& bytes, bool block = false) {
  Picture picture;
  std::string error;
  const bool ok = block ? read_dib_picture(bytes.data(), bytes.size(), &picture, &error)
                        : read_picture_bytes(bytes.data(), bytes.size(), &picture, &error);
  EXPECT_TRUE(ok) << error;
  EXPECT_EQ(picture.indices.size() + picture.rgba.size() / 4,
            static_cast<size_t>(picture.width) * picture.height);
  return picture;
}

std::string read_error(const Bytes& bytes, bool block = false) {
  Picture picture;
  picture.width = 77;  // a refusal leaves the picture alone
  std::string error;
  const bool ok = block ? read_dib_picture(bytes.data(), bytes.size(), &picture, &error)
                        : read_picture_bytes(bytes.data(), bytes.size(), &picture, &error);
  EXPECT_FALSE(ok);
  EXPECT_EQ(picture.width, 77);
  EXPECT_EQ(error.find('\n'), std::string::npos);
  return error;
}

TEST(ReadBmp, IndexedRowsOfEveryDepthHeaderVersionAndRowOrder) {
  // 5 x 2, bottom-up: stored row 0 is the bottom row. Rows padded to 4 bytes.
  DibFields s;
  s.width = 5;
  s.table = grey_table(16);
  s.pixels = {10, 11, 12, 13, 14, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0};
  for (uint32_t header : {40u, 52u, 56u, 108u, 124u}) {
    s.header_size = header;
    const Picture p = read_ok(bmp_file(s));
    ASSERT_EQ(p.kind, PictureKind::kIndexed);
    EXPECT_EQ(p.indices, (Bytes{1, 2, 3, 4, 5, 10, 11, 12, 13, 14})) << header;
    EXPECT_EQ(p.colour_count, 16);
    EXPECT_EQ(p.colours[3], 0x00333333u);
    EXPECT_FALSE(p.has_alpha);
  }
  s.header_size = 40;
  s.height = -2;  // top-down: stored row 0 is the top row
  EXPECT_EQ(read_ok(bmp_file(s)).indices, (Bytes{10, 11, 12, 13, 14, 1, 2, 3, 4, 5}));
  s.height = 2;
  s.bits = 4;  // high nibble first
  s.pixels = {0x12, 0x34, 0x50, 0, 0xAB, 0xCD, 0xE0, 0};
  EXPECT_EQ(read_ok(bmp_file(s)).indices, (Bytes{10, 11, 12, 13, 14, 1, 2, 3, 4, 5}));
  s.bits = 1;  // most significant bit first
  s.table = grey_table(2);
  s.pixels = {0xA0, 0, 0, 0, 0x58, 0, 0, 0};
  EXPECT_EQ(read_ok(bmp_file(s)).indices, (Bytes{0, 1, 0, 1, 1, 1, 0, 1, 0, 0}));
  // The table is what lies before the pixel data: none here, so any index is kept.
  s.bits = 8;
  s.table.clear();
  s.pixels = {200, 1, 2, 3, 4, 0, 0, 0, 9, 8, 7, 6, 5, 0, 0, 0};
  const Picture bare = read_ok(bmp_file(s));
  EXPECT_EQ(bare.colour_count, 0);
  EXPECT_EQ(bare.indices[5], 200);
}

TEST(ReadBmp, RunLengthEncodedRows) {
  // RLE8, 6 x 3: row 0 (bottom) = run of 3 x 7, absolute 3 bytes (padded), end of line;
  // delta (2, 1) to row 2, x 2; run 2 x 9; end of picture. Row 1 stays 0.
  DibFields s;
  s.width = 6;
  s.height = 3;
  s.compression = 1;
  s.table = grey_table(16);
  s.pixels = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1};
  EXPECT_EQ(read_ok(bmp_file(s)).indices,
            (Bytes{0, 0, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0, 7, 7, 7, 1, 2, 3}));
  // RLE4, 7 x 1: run of 3 alternating nibbles 1,2,1; absolute 4,5,6 (padded to a word); one
  // more run pixel; end of picture.
  s.bits = 4;
  s.compression = 2;
  s.width = 7;
  s.height = 1;
  s.pixels = {3, 0x12, 0, 3, 0x45, 0x60, 1, 0xF0, 0, 1};
  EXPECT_EQ(read_ok(bmp_file(s)).indices, (Bytes{1, 2, 1, 4, 5, 6, 15}));
  // Runs that overshoot the row or the picture are clipped, never written outside.
  s.bits = 8;
  s.compression = 1;
  s.width = 4;
  s.height = 2;
  s.pixels = {255, 3, 0, 2, 255, 255, 200, 4, 0, 1};
  EXPECT_EQ(read_ok(bmp_file(s)).indices, (Bytes{0, 0, 0, 0, 3, 3, 3, 3}));
}

TEST(ReadBmp, TrueColourLayoutsGiveRgba) {
  struct Case {
    const char* name;
    uint32_t header;
    uint16_t bits;
    uint32_t compression;
    std::vector<uint32_t> masks;
    Bytes pixels;  // one row of two pixels, as stored
    Bytes rgba;
    bool alpha;
  };
  const Case cases[] = {
      {"24-bit", 40, 24, 0, {},
       {0x10, 0x20, 0x30, 0xFF, 0, 0x80, 0, 0}, {0x30, 0x20, 0x10, 255, 0x80, 0, 0xFF, 255}, false},
      {"32-bit with alpha", 40, 32, 0, {},
       {1, 2, 3, 0x80, 4, 5, 6, 0}, {3, 2, 1, 0x80, 6, 5, 4, 0}, true},
      {"32-bit, alpha all 0", 124, 32, 0, {},
       {1, 2, 3, 0, 4, 5, 6, 0}, {3, 2, 1, 255, 6, 5, 4, 255}, false},
      // 5-5-5, bit 15 ignored; a 5-bit level v widens to v x 255 / 31.
      {"16-bit 5-5-5", 40, 16, 0, {},
       {0x1F, 0x80, 0x21, 0x40}, {0, 0, 255, 255, 131, 8, 8, 255}, false},
      {"16-bit 5-6-5 masks after the header", 40, 16, 3, {0xF800, 0x07E0, 0x001F},
       {0xE0, 0x07, 0x00, 0x80}, {0, 255, 0, 255, 131, 0, 0, 255}, false},
      {"16-bit 4-4-4 masks in a 52-byte header", 52, 16, 3, {0x0F00, 0x00F0, 0x000F},
       {0x8F, 0x0F, 0xF0, 0x00}, {255, 8 * 17, 255, 255, 0, 255, 0, 255}, false},
      {"32-bit R G B A bytes, V5 header", 124, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
       {1, 2, 3, 4, 5, 6, 7, 255}, {1, 2, 3, 4, 5, 6, 7, 255}, true},
      {"32-bit alpha mask, alpha all 0", 56, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
       {1, 2, 3, 0, 4, 5, 6, 0}, {3, 2, 1, 255, 6, 5, 4, 255}, false},
      {"32-bit 10-10-10 keeps the high bits", 40, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF},
       {0xFF, 0x03, 0x00, 0x30, 0, 0, 0, 0}, {0xC0, 0, 0xFF, 255, 0, 0, 0, 255}, false},
  };
  for (const Case& c : cases) {
    DibFields s;
    s.header_size = c.header;
    s.width = 2;
    s.height = 1;
    s.bits = c.bits;
    s.compression = c.compression;
    s.masks = c.masks;
    s.pixels = c.pixels;
    for (bool block : {false, true}) {
      const Picture p = read_ok(block ? dib_block(s) : bmp_file(s), block);
      ASSERT_EQ(p.kind, PictureKind::kTrueColour) << c.name;
      EXPECT_EQ(p.rgba, c.rgba) << c.name << (block ? " (block)" : " (file)");
      EXPECT_EQ(p.has_alpha, c.alpha) << c.name;
    }
  }
  // Rows bottom-up or top-down, and a block skips the optional colour table of biClrUsed.
  DibFields s;
  s.width = 1;
  s.bits = 24;
  s.pixels = {1, 1, 1, 0, 2, 2, 2, 0};
  EXPECT_EQ(read_ok(dib_block(s), true).rgba, (Bytes{2, 2, 2, 255, 1, 1, 1, 255}));
  s.height = -2;
  s.colours_used = 2;
  s.table = {0x123456, 0x654321};
  EXPECT_EQ(read_ok(dib_block(s), true).rgba, (Bytes{1, 1, 1, 255, 2, 2, 2, 255}));
}

TEST(ReadDib, EightBitBlocksGiveTheIndicesTheClipboardPathTakes) {
  std::mt19937 random(5);
  for (int round = 0; round < 40; ++round) {
    DibFields s;
    s.width = 1 + static_cast<int>(random() % 13);
    s.height = (round % 2 ? -1 : 1) * (1 + static_cast<int>(random() % 9));
    s.header_size = round % 3 == 0 ? 124 : 40;
    s.table = grey_table(256);
    const size_t rows = static_cast<size_t>(std::abs(s.height));
    s.pixels.resize(rows * ((s.width + 3) / 4 * 4));
    for (uint8_t& b : s.pixels) b = static_cast<uint8_t>(random());
    const Bytes block = dib_block(s);
    Bytes indices(4096);
    DibInfo info;
    ASSERT_EQ(parse_dib(block.data(), block.size(), indices.data(), indices.size(), &info), kDibOk);
    indices.resize(static_cast<size_t>(info.width) * info.height);
    const Picture p = read_ok(block, true);
    EXPECT_EQ(p.indices, indices) << round;
    EXPECT_EQ(p.colours[200], info.colours[200]);
  }
}

void bit_fields(DibFields& s, uint16_t bits, std::vector<uint32_t> masks) {
  s.bits = bits;
  s.compression = 3;
  s.masks = std::move(masks);
}

TEST(ReadBmp, HostileHeadersAreRefusedWithTheirReason) {
  struct Case {
    const char* name;
    void (*change)(DibFields&);
    const char* reason;
    bool block = false;
  };
  const Case cases[] = {
      {"core header", [](DibFields& s) { s.header_size = 12; }, "old or unknown header"},
      {"64-byte header", [](DibFields& s) { s.header_size = 64; }, "64 bytes is not a known version"},
      {"width 0", [](DibFields& s) { s.width = 0; }, "has no pixels"},
      {"negative width", [](DibFields& s) { s.width = -4; }, "has no pixels"},
      {"height 0", [](DibFields& s) { s.height = 0; }, "has no pixels"},
      {"2^26 + 1 pixels", [](DibFields& s) { s.width = s.height = 8193; }, "too large: 8193 x 8193"},
      {"most negative height", [](DibFields& s) { s.height = INT32_MIN; }, "too large"},
      {"2 bits", [](DibFields& s) { s.bits = 2; }, "2 bits per pixel is not supported"},
      {"24-bit bit fields", [](DibFields& s) { bit_fields(s, 24, {}); },
       "compression 3 is not supported for 24"},
      {"RLE4 on 8 bits", [](DibFields& s) { s.compression = 2; },
       "compression 2 is not supported for 8"},
      {"JPEG", [](DibFields& s) { s.compression = 4; }, "compression 4"},
      {"top-down RLE8", [](DibFields& s) { s.compression = 1; s.height = -2; },
       "cannot be stored top-down"},
      {"overlapping masks", [](DibFields& s) { bit_fields(s, 16, {0xF800, 0x0FE0, 0x1F}); },
       "not usable"},
      {"gap in a mask", [](DibFields& s) { bit_fields(s, 16, {0xF0F0, 0x0F00, 0xF}); }, "not usable"},
      {"mask outside the pixel", [](DibFields& s) { bit_fields(s, 16, {0x10000, 0xFF00, 0xFF}); },
       "not usable"},
      {"no red", [](DibFields& s) { bit_fields(s, 32, {0, 0xFF00, 0xFF}); },
       "0x00000000 0x0000FF00"},
      {"masks cut short",
       [](DibFields& s) {
         bit_fields(s, 16, {0xF800});
         s.table.clear();
         s.pixels.clear();
       },
       "masks are cut short", true},
      {"rows missing", [](DibFields& s) { s.height = 3; }, "pixel data is cut short"},
      {"RLE cut short", [](DibFields& s) { s.compression = 1; s.pixels = {5, 1, 0}; },
       "run-length data is cut short"},
      {"index beyond the table",
       [](DibFields& s) {
         s.table.resize(2);
         s.pixels = {0, 1, 0, 1, 1, 0, 5, 1};
       },
       "(2, 0) uses colour 5, beyond its 2-colour table"},
      {"table past the block", [](DibFields& s) { s.colours_used = 300; }, "pixel data is missing",
       true},
  };
  for (const Case& c : cases) {
    DibFields s;
    s.table = grey_table(16);
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    c.change(s);
    const std::string error = read_error(c.block ? dib_block(s) : bmp_file(s), c.block);
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }
  Bytes block = dib_block(DibFields{});
  put32(block, 0, 1000);  // a header longer than the block
  EXPECT_NE(read_error(block, true).find("header is cut short"), std::string::npos);
  // File-level damage.
  Bytes file = bmp_file(DibFields{});
  put32(file, 10, 20);  // pixel data inside the header
  EXPECT_NE(read_error(file).find("points into its header"), std::string::npos);
  EXPECT_NE(read_error({'B', 'M', 0}).find("not a BMP file"), std::string::npos);
  EXPECT_EQ(read_error({'G', 'I', 'F', '8'}), "neither a BMP nor a PNG file");
}

// Samples packed high bit first, rows not padded; 16-bit samples high byte first.
Bytes pack_samples(const std::vector<unsigned>& samples, unsigned depth) {
  Bytes out((samples.size() * depth + 7) / 8, 0);
  for (size_t i = 0; i < samples.size(); ++i) {
    if (depth == 16) {
      out[2 * i] = static_cast<uint8_t>(samples[i] >> 8);
      out[2 * i + 1] = static_cast<uint8_t>(samples[i]);
      continue;
    }
    for (unsigned b = 0; b < depth; ++b) {
      const size_t bit = i * depth + b;
      if ((samples[i] >> (depth - 1 - b)) & 1) {
        out[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
      }
    }
  }
  return out;
}

TEST(ReadPng, EveryTrueColourTypeAndDepthInterlacedOrNot) {
  struct Kind {
    LodePNGColorType type;
    unsigned channels;
    std::vector<unsigned> depths;
  };
  const Kind kinds[] = {{LCT_GREY, 1, {1, 2, 4, 8, 16}},
                        {LCT_GREY_ALPHA, 2, {8, 16}},
                        {LCT_RGB, 3, {8, 16}},
                        {LCT_RGBA, 4, {8, 16}}};
  const unsigned width = 9, height = 5;
  for (const Kind& kind : kinds) {
    for (unsigned depth : kind.depths) {
      const unsigned top = depth == 16 ? 65535 : (1u << depth) - 1;
      std::vector<unsigned> samples(width * height * kind.channels);
      for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<unsigned>(i * 4099 + 7) % (top + 1);
      }
      // The expected 8-bit level: high byte of 16 bits, v x 255 / max below 8 bits.
      auto level = [&](unsigned v) {
        return static_cast<uint8_t>(depth == 16 ? v >> 8 : v * 255 / top);
      };
      Bytes expected;
      for (size_t p = 0; p < width * height; ++p) {
        const unsigned* v = &samples[p * kind.channels];
        const bool grey = kind.channels <= 2;
        const uint8_t alpha = kind.channels % 2 == 0 ? level(v[kind.channels - 1]) : uint8_t{255};
        expected.insert(expected.end(),
                        {level(v[0]), level(grey ? v[0] : v[1]), level(grey ? v[0] : v[2]), alpha});
      }
      for (bool interlaced : {false, true}) {
        PngFields s;
        s.type = kind.type;
        s.depth = depth;
        s.width = width;
        s.height = height;
        s.raw = pack_samples(samples, depth);
        s.interlaced = interlaced;
        const Bytes file = png_file(s);
        ASSERT_FALSE(file.empty());
        const Picture p = read_ok(file);
        ASSERT_EQ(p.kind, PictureKind::kTrueColour) << kind.type << "/" << depth;
        EXPECT_EQ(p.rgba, expected) << kind.type << "/" << depth
                                    << (interlaced ? " interlaced" : "");
        EXPECT_EQ(p.has_alpha, kind.channels % 2 == 0);
      }
    }
  }
}

TEST(ReadPng, ColourKeyAndPaletteImages) {
  // tRNS colour key: grey 8 and RGB 16 (the key compares all 16 bits).
  PngFields grey;
  grey.type = LCT_GREY;
  grey.width = 3;
  grey.raw = {10, 20, 10};
  grey.key = true;
  grey.key_r = grey.key_g = grey.key_b = 10;
  Picture p = read_ok(png_file(grey));
  EXPECT_EQ(p.rgba, (Bytes{10, 10, 10, 0, 20, 20, 20, 255, 10, 10, 10, 0}));
  EXPECT_TRUE(p.has_alpha);
  PngFields rgb;
  rgb.type = LCT_RGB;
  rgb.depth = 16;
  rgb.width = 2;
  rgb.raw = {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 7};
  rgb.key = true;
  rgb.key_r = 0x0102;
  rgb.key_g = 0x0304;
  rgb.key_b = 0x0506;
  EXPECT_EQ(read_ok(png_file(rgb)).rgba, (Bytes{1, 3, 5, 0, 1, 3, 5, 255}));

  // Palette images of every depth keep their indices, palette and tRNS alpha.
  for (unsigned depth : {1u, 2u, 4u, 8u}) {
    for (bool interlaced : {false, true}) {
      PngFields s;
      s.type = LCT_PALETTE;
      s.depth = depth;
      s.width = 7;
      s.height = 3;
      s.interlaced = interlaced;
      const unsigned entries = depth == 8 ? 20 : 1u << depth;
      for (unsigned i = 0; i < entries; ++i) s.palette.push_back(0xFF000000u | (i * 0x030507u));
      s.palette[0] &= 0x00FFFFFF;  // index 0 transparent
      std::vector<unsigned> indices(21);
      for (size_t i = 0; i < indices.size(); ++i) {
        indices[i] = static_cast<unsigned>(i * 5) % entries;
      }
      s.raw = pack_samples(indices, depth);
      const Picture q = read_ok(png_file(s));
      ASSERT_EQ(q.kind, PictureKind::kIndexed) << depth;
      EXPECT_EQ(q.indices, Bytes(indices.begin(), indices.end())) << depth;
      EXPECT_EQ(q.colour_count, static_cast<int>(entries));
      EXPECT_EQ(q.colours[1], 0x030507u);
      EXPECT_EQ(q.colour_alpha[0], 0);
      EXPECT_EQ(q.colour_alpha[1], 255);
      EXPECT_TRUE(q.has_alpha);
    }
  }
}

TEST(ReadPng, DamagedAndHostileFilesAreRefused) {
  PngFields s;
  s.type = LCT_PALETTE;
  s.depth = 8;
  s.width = 2;
  s.palette = {0xFF000000, 0xFFFFFFFF};
  s.raw = {0, 5};  // index 5 of a 2-entry palette
  EXPECT_NE(read_error(png_file(s)).find("(1, 0) uses palette entry 5, beyond its 2-entry palette"),
            std::string::npos);
  s.raw = {0, 1};
  const Bytes good = png_file(s);
  for (size_t cut : {good.size() - 1, good.size() / 2, size_t{33}, size_t{20}, size_t{8}}) {
    EXPECT_NE(read_error(Bytes(good.begin(), good.begin() + static_cast<long>(cut))).find("PNG"),
              std::string::npos) << cut;
  }
  Bytes bad_crc = good;
  bad_crc[bad_crc.size() - 20] ^= 1;  // inside the image data
  EXPECT_NE(read_error(bad_crc).find("PNG cannot be read"), std::string::npos);

  const Bytes end = png_chunk("IEND", {});
  const Bytes tiny_idat = png_chunk("IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
  const Bytes two_zeros =  // the rows of a 1 x 1 grey picture: filter 0, level 0
      png_chunk("IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01});
  auto file = [&](std::vector<Bytes> chunks) {
    Bytes b = png_signature();
    for (const Bytes& c : chunks) b.insert(b.end(), c.begin(), c.end());
    return b;
  };
  struct Case {
    const char* name;
    Bytes bytes;
    const char* reason;
  };
  Bytes huge_length = png_chunk("abCD", {1, 2, 3});
  huge_length[0] = 0x7F;
  unsigned char* bomb = nullptr;
  size_t bomb_size = 0;
  LodePNGCompressSettings settings;
  lodepng_compress_settings_init(&settings);
  const Bytes zeros(100000, 0);
  ASSERT_EQ(lodepng_zlib_compress(&bomb, &bomb_size, zeros.data(), zeros.size(), &settings), 0u);
  const Bytes bomb_idat = png_chunk("IDAT", Bytes(bomb, bomb + bomb_size));
  std::free(bomb);
  const Case cases[] = {
      {"2^26 + 1 pixels", file({ihdr(8193, 8193, 8, 0), tiny_idat, end}),
       "PNG is too large: 8193 x 8193"},
      {"4096 x 4096 from 8 bytes", file({ihdr(4096, 4096, 16, 6), tiny_idat, end}),
       "image data is cut short"},
      {"width 0", file({ihdr(0, 4, 8, 0), tiny_idat, end}), "PNG cannot be read"},
      {"depth 3", file({ihdr(4, 4, 3, 0), tiny_idat, end}), "PNG cannot be read"},
      {"16-bit palette", file({ihdr(4, 4, 16, 3), tiny_idat, end}), "PNG cannot be read"},
      {"palette without PLTE", file({ihdr(1, 1, 8, 3), two_zeros, end}), "PNG cannot be read"},
      {"chunk longer than the file", file({ihdr(1, 1, 8, 0), two_zeros, huge_length, end}),
       "PNG cannot be read"},
      {"image data inflating past its rows", file({ihdr(1, 1, 8, 0), bomb_idat, end}),
       "PNG cannot be read"},
      {"no IHDR", file({tiny_idat, end}), "PNG cannot be read"},
  };
  // The pieces are sound: put together properly they read.
  EXPECT_EQ(read_ok(file({ihdr(1, 1, 8, 0), two_zeros, end})).rgba, (Bytes{0, 0, 0, 255}));
  for (const Case& c : cases) {
    const std::string error = read_error(c.bytes);
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }
}

TEST(ReadIndexedImage, TakesIndexedFilesAndRefusesTrueColourWithAdvice) {
  PngFields palette;
  palette.type = LCT_PALETTE;
  palette.width = 2;
  palette.palette = {0xFF000000, 0xFF0000FF, 0xFF00FF00};
  palette.raw = {2, 1};
  IndexedImage image;
  std::string error;
  ASSERT_TRUE(read_indexed_image_bytes(png_file(palette), &image, &error)) << error;
  EXPECT_EQ(image.pixels, (Bytes{2, 1}));
  EXPECT_EQ(image.colour_count, 3);
  EXPECT_EQ(image.palette[2], 0x00FF00u);
  PngFields grey;  // grey levels are colours now, not indices
  grey.type = LCT_GREY;
  grey.raw = {3};
  DibFields rgb;
  rgb.bits = 24;
  rgb.pixels.assign(24, 0);
  for (const Bytes& file : {png_file(grey), bmp_file(rgb)}) {
    EXPECT_FALSE(read_indexed_image_bytes(file, &image, &error));
    EXPECT_NE(error.find("true-colour image; save it as an indexed"), std::string::npos) << error;
  }
}

// The fuzz targets' seeds are small valid files of every layout, written by a generator of
// their own (fuzz/make_image_seeds.py, zlib for PNG): every one must read.
TEST(ReadPicture, EverySeedOfThePictureFuzzTargetsReads) {
  const std::filesystem::path seeds = std::filesystem::path(VANTOR_SOURCE_DIR) / "fuzz" / "seeds";
  using Reader = bool (*)(const uint8_t*, size_t, Picture*, std::string*);
  const std::pair<const char*, Reader> targets[] = {{"fuzz_bmp_read", read_bmp_picture},
                                                    {"fuzz_png_read", read_png_picture},
                                                    {"fuzz_dib_read", read_dib_picture}};
  for (const auto& [name, reader] : targets) {
    int files = 0, true_colour = 0;
    for (const auto& item : std::filesystem::directory_iterator(seeds / name)) {
      std::ifstream in(item.path(), std::ios::binary);
      const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
      Picture p;
      std::string error;
      EXPECT_TRUE(reader(bytes.data(), bytes.size(), &p, &error)) << item.path() << ": " << error;
      ++files;
      true_colour += p.kind == PictureKind::kTrueColour;
    }
    EXPECT_GE(files, 10) << name;
    EXPECT_GE(true_colour, 5) << name;
  }
}

}  // namespace
}  // namespace vcv
