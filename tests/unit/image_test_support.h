// Picture files laid out byte by byte for the reader tests and the fuzz seeds' twins: bitmap
// blocks and BMP files from a description, PNG files through LodePNG in any colour type (written
// as given, never converted), and PNG chunks with their CRC for damaged files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "lodepng/lodepng.h"

namespace vcv::image_test {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct DibFields {
  uint32_t header_size = 40;
  int32_t width = 4;
  int32_t height = 2;  // negative: top-down
  uint16_t bits = 8;
  uint32_t compression = 0;
  uint32_t colours_used = 0;     // biClrUsed as written
  std::vector<uint32_t> table;   // 0x00BBGGRR, written as blue, green, red, 0
  std::vector<uint32_t> masks;   // red, green, blue[, alpha]: in a 52+ byte header, else after it
  Bytes pixels;                  // the pixel array as stored
};

// Header, masks after a 40-byte header, colour table, pixels. Returns the pixels' offset too.
inline Bytes dib_block(const DibFields& s, size_t* pixel_offset = nullptr) {
  Bytes b(s.header_size < 40 ? 40 : s.header_size, 0);
  put32(b, 0, s.header_size);
  put32(b, 4, static_cast<uint32_t>(s.width));
  put32(b, 8, static_cast<uint32_t>(s.height));
  put16(b, 12, 1);
  put16(b, 14, s.bits);
  put32(b, 16, s.compression);
  put32(b, 32, s.colours_used);
  for (size_t i = 0; i < s.masks.size(); ++i) {
    if (s.header_size >= 40 + 4 * (i + 1)) {
      put32(b, 40 + 4 * i, s.masks[i]);
    } else {
      b.resize(b.size() + 4);
      put32(b, b.size() - 4, s.masks[i]);
    }
  }
  for (uint32_t c : s.table) {
    b.insert(b.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                       static_cast<uint8_t>(c), 0});
  }
  if (pixel_offset != nullptr) *pixel_offset = b.size();
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

// A BMP file: "BM", the file size, the pixel offset, then the block.
inline Bytes bmp_file(const DibFields& s) {
  size_t offset = 0;
  const Bytes block = dib_block(s, &offset);
  Bytes b(14 + block.size(), 0);
  b[0] = 'B';
  b[1] = 'M';
  std::copy(block.begin(), block.end(), b.begin() + 14);
  put32(b, 2, static_cast<uint32_t>(b.size()));
  put32(b, 10, static_cast<uint32_t>(14 + offset));
  return b;
}

// Colour type and depth exactly as given; `raw` in LodePNG's layout (rows packed without fill
// bits, 16-bit samples high byte first). Palette entries are RGBA.
struct PngFields {
  LodePNGColorType type = LCT_RGBA;
  unsigned depth = 8;
  unsigned width = 1;
  unsigned height = 1;
  Bytes raw;
  std::vector<uint32_t> palette;  // 0xAABBGGRR
  bool key = false;               // tRNS colour key (grey or RGB)
  unsigned key_r = 0, key_g = 0, key_b = 0;
  bool interlaced = false;
};

inline Bytes png_file(const PngFields& s) {
  LodePNGState state;
  lodepng_state_init(&state);
  for (LodePNGColorMode* mode : {&state.info_raw, &state.info_png.color}) {
    mode->colortype = s.type;
    mode->bitdepth = s.depth;
    for (uint32_t c : s.palette) {
      lodepng_palette_add(mode, static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                          static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 24));
    }
    mode->key_defined = s.key ? 1 : 0;
    mode->key_r = s.key_r;
    mode->key_g = s.key_g;
    mode->key_b = s.key_b;
  }
  state.encoder.auto_convert = 0;
  state.info_png.interlace_method = s.interlaced ? 1 : 0;
  unsigned char* out = nullptr;
  size_t size = 0;
  const unsigned code = lodepng_encode(&out, &size, s.raw.data(), s.width, s.height, &state);
  Bytes bytes;
  if (code == 0) bytes.assign(out, out + size);
  std::free(out);
  lodepng_state_cleanup(&state);
  return bytes;
}

// One chunk: length, type, data, CRC over type and data.
inline Bytes png_chunk(const std::string& type, const Bytes& data) {
  Bytes b(8 + data.size(), 0);
  for (int i = 0; i < 4; ++i) {
    b[i] = static_cast<uint8_t>(data.size() >> (24 - 8 * i));
    b[4 + i] = static_cast<uint8_t>(type[i]);
  }
  std::copy(data.begin(), data.end(), b.begin() + 8);
  const unsigned crc = lodepng_crc32(b.data() + 4, b.size() - 4);
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(crc >> (24 - 8 * i)));
  return b;
}

inline Bytes png_signature() { return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

inline Bytes ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t type) {
  Bytes d(13, 0);
  for (int i = 0; i < 4; ++i) {
    d[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    d[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  d[8] = depth;
  d[9] = type;
  return png_chunk("IHDR", d);
}

}  // namespace vcv::image_test
